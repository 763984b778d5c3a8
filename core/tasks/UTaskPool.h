#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

/// Indexed work on a fixed number of threads: every thread-spreading loop of the program (the
/// calibration's search, the validation's band, the batches, the flushes of the atomic writes)
/// runs through it. The threads share the indices one at a time as they become free, so each
/// task must put its result in a place of its own (by index): the outcome then does not depend
/// on the number of threads.

namespace quellow::UTaskPool {

/// What stopped a task, read from the exception in flight: call it inside a catch block only.
struct TFault
{
    bool OutOfMemory = false; ///< std::bad_alloc
    std::string What;         ///< what() of a standard exception; empty for any other
};
TFault CurrentFault();

/// The message of a piece of work ("calibration") that the exception in flight stopped:
/// "There is not enough memory for the calibration.", "The calibration stopped: WHAT" or
/// "The calibration stopped on an unknown error." Inside a catch block only.
std::string StoppedText(const std::string &work);

/// The threads a request gives: requested when above 0, else one per core (at least 1).
int ThreadCount(int requested);
/// The same, but no more than jobs (at least 1): the threads worth starting for that many tasks.
int ThreadCount(int requested, std::size_t jobs);

class TTaskPool
{
public:
    /// A pool of ThreadCount(threads) threads; the caller of forEach is one of them.
    explicit TTaskPool(int threads);
    ~TTaskPool();
    TTaskPool(const TTaskPool &) = delete;
    TTaskPool &operator=(const TTaskPool &) = delete;

    int threads() const { return mThreads; }

    /// task(index, worker) for index 0 .. count-1, spread over the threads; returns when every
    /// task that started has ended. worker, in [0, threads()), names the thread: tasks that run
    /// at the same time have different workers, so per-worker scratch needs no lock. A thread
    /// that waits in a nested forEach runs only tasks of that inner loop (on another pool
    /// they have that pool's workers; on this one the worker of the task that waits).
    /// The first exception a task throws stops the starting of further tasks and is thrown
    /// again here, once the tasks that run have ended; later ones are dropped.
    void forEach(int count, const std::function<void(int index, int worker)> &task);

    /// first() and second() side by side (one after the other on a pool of one thread); an
    /// exception as in forEach.
    void both(const std::function<void()> &first, const std::function<void()> &second);

private:
    struct TArena;
    const int mThreads;
    std::unique_ptr<TArena> mArena;
};

} // namespace quellow::UTaskPool
