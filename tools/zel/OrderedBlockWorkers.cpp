#include "tools/zel/OrderedBlockWorkers.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace zel {

namespace {

// Enough for every worker to have a block in hand and the next one ready, so that none
// waits while the calling thread hands a block on.
constexpr size_t kSlotsPerThread = 2;

} // namespace

// The blocks between the calling thread and the workers. Blocks are readied, taken and
// finished in number order, block b always in slot b % slots, so two counters tell which
// block a worker takes next and whether one is there for it.
class OrderedBlockWorkers::Queue
{
public:
    explicit Queue(size_t slots)
        : m_finished(slots, false)
        , m_errors(slots)
    { }

    /// On the calling thread: \a count more blocks are ready to be taken.
    void addReady(size_t count)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_ready += count;
        }
        m_readyOrStopped.notify_all();
    }

    /// On a worker: waits for the next ready block and gives its number, or nothing once
    /// stopped.
    bool take(size_t &block)
    {
        std::unique_lock lock(m_mutex);
        m_readyOrStopped.wait(lock, [&] { return m_stopped || m_taken < m_ready; });
        if (m_stopped)
            return false;
        block = m_taken++;
        return true;
    }

    /// On a worker: the block in \a slot is done, with \a error when its work threw.
    void finish(size_t slot, std::exception_ptr error)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_finished[slot] = true;
            m_errors[slot] = std::move(error);
        }
        m_slotFinished.notify_one();
    }

    /// On the calling thread: waits for the block in \a slot and frees the slot; throws
    /// what its work threw.
    void waitFor(size_t slot)
    {
        std::exception_ptr error;
        {
            std::unique_lock lock(m_mutex);
            m_slotFinished.wait(lock, [&] { return bool(m_finished[slot]); });
            m_finished[slot] = false;
            error = std::exchange(m_errors[slot], nullptr);
        }
        if (error)
            std::rethrow_exception(error);
    }

    /// Tells the workers to stop once the block in hand is done.
    void stop()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_readyOrStopped.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_readyOrStopped;
    std::condition_variable m_slotFinished;
    size_t m_ready = 0;
    size_t m_taken = 0;
    bool m_stopped = false;
    std::vector<char> m_finished;
    std::vector<std::exception_ptr> m_errors;
};

unsigned OrderedBlockWorkers::threadsForCores()
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
}

OrderedBlockWorkers::OrderedBlockWorkers(unsigned threads)
    : m_threads(std::clamp(threads, 1u, kMaxThreads))
{ }

size_t OrderedBlockWorkers::slotCount() const
{
    return m_threads == 1 ? 1 : m_threads * kSlotsPerThread;
}

void OrderedBlockWorkers::run(size_t blocks, const Steps &steps) const
{
    if (m_threads == 1 || blocks <= 1) {
        for (size_t block = 0; block < blocks; ++block) {
            steps.prepare(block, 0);
            steps.work(0);
            steps.deliver(0);
        }
        return;
    }

    const size_t slots = slotCount();
    Queue queue(slots);
    std::vector<std::thread> workers;
    // However run() ends, no worker outlives it.
    struct Joiner
    {
        Queue &queue;
        std::vector<std::thread> &workers;
        ~Joiner()
        {
            queue.stop();
            for (std::thread &worker : workers)
                worker.join();
        }
    } joiner { queue, workers };
    for (size_t w = 0; w < std::min(size_t(m_threads), blocks); ++w) {
        workers.emplace_back([&] {
            size_t block = 0;
            while (queue.take(block)) {
                const size_t slot = block % slots;
                std::exception_ptr error;
                try {
                    steps.work(slot);
                } catch (...) {
                    error = std::current_exception();
                }
                queue.finish(slot, std::move(error));
            }
        });
    }

    const size_t first = std::min(slots, blocks);
    for (size_t block = 0; block < first; ++block)
        steps.prepare(block, block);
    queue.addReady(first);
    for (size_t block = 0; block < blocks; ++block) {
        const size_t slot = block % slots;
        queue.waitFor(slot);
        steps.deliver(slot);
        if (block + slots < blocks) {
            steps.prepare(block + slots, slot);
            queue.addReady(1);
        }
    }
}

} // namespace zel
