#include "tools/zel/OrderedBlockWorkers.h"

#include "common/Error.h"

#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace zel;

namespace {

// Each slot carries its block's number from prepare to work, and work's result to deliver,
// so a slot handed to two blocks at once, or a block delivered out of turn, shows.
struct Slot
{
    size_t block = 0;
    size_t result = 0;
    bool readied = false;
};

struct Recorder
{
    explicit Recorder(const OrderedBlockWorkers &workers)
        : inSlot(workers.slotCount())
    { }

    OrderedBlockWorkers::Steps steps(
        size_t failingWork = SIZE_MAX, size_t failingDelivery = SIZE_MAX)
    {
        return {
            [=, this](size_t block, size_t slot) {
                EXPECT_FALSE(inSlot.at(slot).readied) << "slot " << slot << " still in use";
                inSlot[slot] = { block, 0, true };
            },
            [=, this](size_t slot) {
                {
                    const std::lock_guard lock(mutex);
                    workThreads.insert(std::this_thread::get_id());
                }
                std::this_thread::yield();
                if (inSlot[slot].block == failingWork)
                    throw FileError("work failed");
                inSlot[slot].result = inSlot[slot].block * 3 + 1;
            },
            [=, this](size_t slot) {
                if (inSlot[slot].block == failingDelivery)
                    throw FileError("delivery failed");
                delivered.push_back(inSlot[slot].result);
                inSlot[slot].readied = false;
            },
        };
    }

    static std::vector<size_t> expected(size_t blocks)
    {
        std::vector<size_t> results;
        for (size_t block = 0; block < blocks; ++block)
            results.push_back(block * 3 + 1);
        return results;
    }

    std::vector<Slot> inSlot;
    std::vector<size_t> delivered;
    std::mutex mutex;
    std::set<std::thread::id> workThreads;
};

} // namespace

TEST(OrderedBlockWorkersTest, DeliversEveryBlockInOrderWithAFewInFlight)
{
    for (const unsigned threads : { 0u, 1u, 2u, 3u, 8u, 100u }) {
        for (const size_t blocks : { size_t(0), size_t(1), size_t(2), size_t(7), size_t(500) }) {
            SCOPED_TRACE(testing::Message() << threads << " threads, " << blocks << " blocks");
            const OrderedBlockWorkers workers(threads);
            EXPECT_LE(workers.slotCount(), 2 * OrderedBlockWorkers::kMaxThreads);
            Recorder recorder(workers);
            workers.run(blocks, recorder.steps());
            EXPECT_EQ(recorder.delivered, Recorder::expected(blocks));

            // One thread works on the calling thread itself, more never do.
            const bool calling = recorder.workThreads.contains(std::this_thread::get_id());
            if (threads <= 1 || blocks == 1)
                EXPECT_TRUE(blocks == 0 || (calling && recorder.workThreads.size() == 1));
            else
                EXPECT_FALSE(calling);
        }
    }
}

// A step that throws stops the run: the caller gets its exception, and nothing after the
// failed block is delivered.
TEST(OrderedBlockWorkersTest, AFailingStepStopsTheRunWithItsError)
{
    const struct
    {
        size_t failingWork;
        size_t failingDelivery;
        const char *message;
    } cases[] = {
        { 0, SIZE_MAX, "work failed" },
        { 37, SIZE_MAX, "work failed" },
        { 199, SIZE_MAX, "work failed" },
        { SIZE_MAX, 0, "delivery failed" },
        { SIZE_MAX, 37, "delivery failed" },
        { 38, 37, "delivery failed" },
        { 37, 38, "work failed" },
    };
    for (const unsigned threads : { 1u, 2u, 8u }) {
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message()
                << threads << " threads, work fails at " << c.failingWork << ", delivery at "
                << c.failingDelivery);
            const OrderedBlockWorkers workers(threads);
            Recorder recorder(workers);
            try {
                workers.run(200, recorder.steps(c.failingWork, c.failingDelivery));
                ADD_FAILURE() << "no error";
            } catch (const FileError &error) {
                EXPECT_STREQ(error.what(), c.message);
            }
            EXPECT_EQ(
                recorder.delivered, Recorder::expected(std::min(c.failingWork, c.failingDelivery)));
        }
    }
}
