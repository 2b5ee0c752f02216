#include "base/ParallelJobs.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

void RunParallelJobs(int count, int threads, const std::function<void(int)>& job)
{
    std::atomic<int> next{0};
    std::mutex mutex;
    std::exception_ptr failure;
    auto work = [&] {
        for (int i = next++; i < count; i = next++) {
            try {
                job(i);
            } catch (...) {
                const std::lock_guard lock(mutex);
                if (!failure)
                    failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < std::min(threads, count); ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& t : workers)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}
