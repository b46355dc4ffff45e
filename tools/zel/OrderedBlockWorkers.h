#pragma once

#include <cstddef>
#include <functional>

namespace zel {

/// Works through numbered blocks on worker threads while the calling thread hands the
/// finished ones on in number order. A block occupies one of a few slots from the moment the
/// calling thread readies it until it has been handed on, so at most slotCount() blocks are
/// in flight however many there are: the caller keeps one slot's worth of data per slot.
///
/// With a single thread no thread is started: the calling thread does each block's work
/// itself. When a step throws, the workers are stopped (each finishes the block in hand),
/// and the exception reaches the caller, a worker's in the order its block would have been
/// handed on.
class OrderedBlockWorkers
{
public:
    struct Steps
    {
        /// On the calling thread: readies block \a block in slot \a slot.
        std::function<void(size_t block, size_t slot)> prepare;
        /// On a worker thread: does the work of the block in slot \a slot.
        std::function<void(size_t slot)> work;
        /// On the calling thread, in block order: hands the block in slot \a slot on.
        std::function<void(size_t slot)> deliver;
    };

    /// One thread for each core the processor has, at most kMaxThreads.
    static unsigned threadsForCores();
    static constexpr unsigned kMaxThreads = 8;

    /// Works with \a threads threads (at least 1, at most kMaxThreads).
    explicit OrderedBlockWorkers(unsigned threads);

    /// The number of slots, numbered from 0.
    size_t slotCount() const;

    /// Runs blocks 0 to \a blocks - 1 through \a steps; returns once the last one has been
    /// handed on.
    void run(size_t blocks, const Steps &steps) const;

private:
    class Queue;

    unsigned m_threads;
};

} // namespace zel
