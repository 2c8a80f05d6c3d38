#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "worker/Queue.h"

namespace kelvane {
namespace {

std::vector<Command> Drain(Queue& queue) {
    std::vector<Command> seen;
    while (auto command = queue.front()) {
        seen.push_back(*command);
        queue.pop();
    }
    return seen;
}

TEST(Queue, EmptyQueueIgnoresPopAndClearAndThenTakesOneEntry) {
    Queue queue;
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_FALSE(queue.front().has_value());
    queue.pop();
    queue.clear();
    EXPECT_TRUE(queue.isEmpty());

    queue.push('W', '-');
    EXPECT_FALSE(queue.isEmpty());
    EXPECT_EQ(queue.front(), (Command{'W', '-'}));
    queue.pop();
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_FALSE(queue.front().has_value());
}

// The front entry stays while its command runs; whatever is pushed meanwhile comes after it, in order,
// duplicates included.
TEST(Queue, KeepsPushOrderWhileTheFrontCommandRuns) {
    Queue queue;
    queue.push('l', '-');
    EXPECT_EQ(queue.front(), (Command{'l', '-'}));
    queue.push('1', '+');
    queue.push('1', '+');
    queue.push('z', 'z');
    EXPECT_EQ(queue.front(), (Command{'l', '-'}));

    const std::vector<Command> expected{{'l', '-'}, {'1', '+'}, {'1', '+'}, {'z', 'z'}};
    EXPECT_EQ(Drain(queue), expected);
    EXPECT_TRUE(queue.isEmpty());
}

// After the last entry has gone, the next push must start a fresh list rather than hang off a stale tail.
TEST(Queue, StartsAFreshListAfterBeingEmptied) {
    Queue queue;
    queue.push('a', '-');
    queue.pop();
    queue.push('b', '-');
    queue.push('c', '-');
    EXPECT_EQ(Drain(queue), (std::vector<Command>{{'b', '-'}, {'c', '-'}}));

    queue.push('d', '-');
    queue.push('e', '-');
    queue.clear();
    EXPECT_TRUE(queue.isEmpty());
    queue.push('f', '+');
    queue.push('g', '-');
    EXPECT_EQ(Drain(queue), (std::vector<Command>{{'f', '+'}, {'g', '-'}}));
}

// A technician holding a key down can queue a great many entries; neither clear() nor the destructor
// may need a stack frame per entry.
TEST(Queue, ClearsAndDestroysALongQueue) {
    constexpr int count = 1'000'000;
    Queue cleared;
    for (int i = 0; i < count; ++i) cleared.push('+', '+');
    cleared.clear();
    EXPECT_TRUE(cleared.isEmpty());

    auto destroyed = std::make_unique<Queue>();
    for (int i = 0; i < count; ++i) destroyed->push('-', '-');
    destroyed.reset();
}

// The window thread pushes numbered commands while the worker thread reads, carries out and pops them the
// way its cycle does. Every entry must arrive once, in order.
TEST(Queue, HandsEveryCommandAcrossThreadsInOrder) {
    constexpr int count = 50'000;
    Queue queue;
    std::atomic<bool> producerDone{false};

    std::thread window([&] {
        for (int i = 0; i < count; ++i) {
            queue.push(static_cast<char>(i & 0xFF), static_cast<char>((i >> 8) & 0xFF));
        }
        producerDone.store(true);
    });

    std::vector<int> received;
    received.reserve(count);
    std::thread worker([&] {
        // The producer always finishes, so "done and empty" is the way out of this loop.
        while (true) {
            const bool done = producerDone.load();
            while (!queue.isEmpty()) {
                const auto command = queue.front();
                ASSERT_TRUE(command.has_value());
                received.push_back(static_cast<unsigned char>(command->Code) |
                                   static_cast<unsigned char>(command->Argument) << 8);
                queue.pop();
            }
            if (done) break;
            std::this_thread::yield();
        }
    });

    window.join();
    worker.join();

    ASSERT_EQ(received.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(received[i], i & 0xFFFF) << "at entry " << i;
    }
    EXPECT_TRUE(queue.isEmpty());
}

}  // namespace
}  // namespace kelvane
