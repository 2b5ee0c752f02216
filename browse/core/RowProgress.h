#pragma once

#include <functional>

// The progress of a long pass over rows, for a progress window the caller
// owns: `start` with the number of rows, `step` once per row (true: the user
// asked to stop and confirmed it), `finish` at the end, also after a stop or
// an error. Any of them may be empty.
struct RowProgress
{
    std::function<void(int total)> start;
    std::function<bool()> step;
    std::function<void()> finish;
};
