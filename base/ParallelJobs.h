#pragma once

#include <functional>

// Runs job(0) .. job(count - 1) on up to `threads` threads (the calling one
// included) and returns when all have ended. Made for work that waits mostly
// for the disk, such as writing many tables, whose waits then overlap. After
// the first job that throws no new job starts; that exception is rethrown.
void RunParallelJobs(int count, int threads, const std::function<void(int)>& job);
