// The task pool: results by index whatever the threads, workers never shared by tasks that run
// at once, the first exception thrown back with its message, nested loops, and as many threads
// as asked for even above the cores (the flushes wait on the disk).
#include "tasks/UTaskPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

using quellow::UTaskPool::TTaskPool;

namespace {

/// Per index a figure made in the worker's scratch; fails when two tasks that run at once share
/// a worker, or a worker lies outside the pool.
std::vector<double> figures(int threads, int count)
{
    TTaskPool pool(threads);
    std::vector<std::vector<double>> scratch(static_cast<std::size_t>(pool.threads()));
    std::vector<std::atomic<bool>> busy(scratch.size());
    std::vector<double> out(static_cast<std::size_t>(count));
    pool.forEach(count, [&](int i, int worker) {
        EXPECT_GE(worker, 0);
        EXPECT_LT(worker, pool.threads());
        auto &mine = scratch.at(static_cast<std::size_t>(worker));
        EXPECT_FALSE(busy.at(static_cast<std::size_t>(worker)).exchange(true));
        mine.assign(1000, i);
        double sum = 0;
        for (std::size_t k = 0; k < mine.size(); ++k)
            sum += mine[k] * static_cast<double>(k) / (i + 1.5);
        out[static_cast<std::size_t>(i)] = sum;
        busy[static_cast<std::size_t>(worker)] = false;
    });
    return out;
}

} // namespace

TEST(TaskPool, SameResultsByIndexOnEveryThreadCountAndNested)
{
    EXPECT_EQ(quellow::UTaskPool::ThreadCount(3), 3);
    EXPECT_GE(quellow::UTaskPool::ThreadCount(0), 1);
    const std::vector<double> one = figures(1, 500);
    EXPECT_EQ(figures(2, 500), one);
    EXPECT_EQ(figures(4, 500), one);

    // Loops inside loops, on other pools and on the same one: every inner task runs once.
    TTaskPool outer(2);
    std::vector<std::atomic<int>> runs(8 * 8 * 2);
    outer.forEach(8, [&](int i, int) {
        TTaskPool inner(2);
        inner.forEach(8, [&](int j, int) { ++runs[static_cast<std::size_t>(i * 8 + j)]; });
        outer.forEach(8, [&](int j, int) { ++runs[static_cast<std::size_t>(64 + i * 8 + j)]; });
    });
    for (const std::atomic<int> &r : runs)
        EXPECT_EQ(r.load(), 1);
}

TEST(TaskPool, FirstExceptionReachesTheCallerAndNoMoreTasksStart)
{
    for (int threads : {1, 2, 4}) {
        TTaskPool pool(threads);
        std::atomic<int> started{0};
        try {
            pool.forEach(1000, [&](int i, int) {
                ++started;
                if (i == 0)
                    throw std::runtime_error("task 0 failed");
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            });
            ADD_FAILURE() << "no exception on " << threads << " threads";
        } catch (const std::runtime_error &e) {
            EXPECT_STREQ(e.what(), "task 0 failed");
        }
        EXPECT_LT(started.load(), 100) << threads << " threads";

        // Thrown in a nested loop, it reaches the outer caller; the pool works on afterwards.
        EXPECT_THROW(pool.both([] {},
                               [] {
                                   TTaskPool(2).forEach(4, [](int i, int) {
                                       if (i == 3)
                                           throw std::bad_alloc();
                                   });
                               }),
                     std::bad_alloc);
        std::atomic<int> done{0};
        pool.forEach(10, [&](int, int) { ++done; });
        EXPECT_EQ(done.load(), 10);
    }
}

// Sixteen tasks that each wait until all sixteen run: only a pool that really runs sixteen
// threads on this machine, whatever its cores, gets them all going.
TEST(TaskPool, RunsAsManyThreadsAsAskedAboveTheCores)
{
    TTaskPool pool(16);
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    pool.forEach(16, [&](int, int) {
        ++running;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (running.load() < 16 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        int seen = running.load();
        for (int m = most.load(); seen > m && !most.compare_exchange_weak(m, seen);) {
        }
    });
    EXPECT_EQ(most.load(), 16);
}
