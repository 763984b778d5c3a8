#include "tasks/UTaskPool.h"

#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>
#include <oneapi/tbb/task_arena.h>
#include <oneapi/tbb/task_group.h>

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <thread>

namespace quellow::UTaskPool {

TFault CurrentFault()
{
    try {
        throw;
    } catch (const std::bad_alloc &) {
        return {true, {}};
    } catch (const std::exception &e) {
        return {false, e.what()};
    } catch (...) {
        return {};
    }
}

std::string StoppedText(const std::string &work)
{
    const TFault fault = CurrentFault();
    if (fault.OutOfMemory)
        return "There is not enough memory for the " + work + ".";
    if (!fault.What.empty())
        return "The " + work + " stopped: " + fault.What;
    return "The " + work + " stopped on an unknown error.";
}

int ThreadCount(int requested)
{
    if (requested > 0)
        return requested;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

int ThreadCount(int requested, std::size_t jobs)
{
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(ThreadCount(requested)),
                                                  std::max<std::size_t>(jobs, 1)));
}

/// The threads of a pool are an arena of the scheduler, made once and kept for the pool's
/// life: a calibration runs its loops through one pool many times. The scheduler lends an
/// arena no more threads than the machine has cores unless told otherwise: a pool asked for
/// more (the flushes, which wait on the disk; a --threads above the cores) raises that limit
/// while it lives.
struct TTaskPool::TArena
{
    explicit TArena(int threads) : Arena(threads)
    {
        if (threads > tbb::info::default_concurrency())
            Allowed.emplace(tbb::global_control::max_allowed_parallelism,
                            static_cast<std::size_t>(threads));
    }
    std::optional<tbb::global_control> Allowed;
    tbb::task_arena Arena;
};

TTaskPool::TTaskPool(int threads)
    : mThreads(ThreadCount(threads)),
      mArena(mThreads > 1 ? std::make_unique<TArena>(mThreads) : nullptr)
{}

TTaskPool::~TTaskPool() = default;

void TTaskPool::forEach(int count, const std::function<void(int index, int worker)> &task)
{
    if (count <= 0)
        return;
    if (!mArena) {
        for (int i = 0; i < count; ++i)
            task(i, 0);
        return;
    }
    mArena->Arena.execute([&] {
        // Isolated: a thread that waits here takes no task of an outer loop, whose worker's
        // scratch it may be using; a context of its own, so that an outer loop's stop does
        // not cut this one short unseen.
        tbb::this_task_arena::isolate([&] {
            tbb::task_group_context context(tbb::task_group_context::isolated);
            tbb::parallel_for(
                tbb::blocked_range<int>(0, count, 1),
                [&](const tbb::blocked_range<int> &range) {
                    const int worker = tbb::this_task_arena::current_thread_index();
                    for (int i = range.begin(); i != range.end(); ++i)
                        task(i, worker);
                },
                tbb::simple_partitioner(), context);
        });
    });
}

void TTaskPool::both(const std::function<void()> &first, const std::function<void()> &second)
{
    forEach(2, [&](int index, int) { index == 0 ? first() : second(); });
}

} // namespace quellow::UTaskPool
