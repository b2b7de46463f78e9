// Runs the same work on several threads at once and waits for all of them.
#ifndef TESTS_COMMON_RUNTHREADS_H
#define TESTS_COMMON_RUNTHREADS_H

#include <thread>
#include <vector>

template<class Work>
void
RunThreads(int count, Work work)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < count; t++)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
}

#endif
