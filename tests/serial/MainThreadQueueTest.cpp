#include "serial/MainThreadQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace zuva::serial {
namespace {

using namespace std::chrono_literals;

TEST(MainThreadQueueTest, ATaskRunsOnTheMainThreadAndTheCallerWaitsForIt) {
    MainThreadQueue queue;
    const auto mainId = std::this_thread::get_id();
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        queue.runOnMainThread([&] { ranOn = std::this_thread::get_id(); });
        returned = true;
    });
    while (queue.waiting() == 0) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(returned.load()) << "runOnMainThread returned before the task ran";
    queue.servePending(100ms);
    worker.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(ranOn, mainId);
    EXPECT_EQ(queue.served(), 1u);
}

TEST(MainThreadQueueTest, ATaskErrorGoesToTheMainThreadAndReleasesTheCaller) {
    MainThreadQueue queue;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        queue.runOnMainThread([] { throw std::runtime_error("handler failed"); });
        returned = true;
    });
    EXPECT_THROW(queue.serveUntil([&] { return returned.load(); }, 2s), std::runtime_error);
    worker.join();
    EXPECT_TRUE(returned.load());
}

TEST(MainThreadQueueTest, OnTheMainThreadItselfATaskRunsAtOnce) {
    MainThreadQueue queue;
    int runs = 0;
    queue.runOnMainThread([&] { ++runs; });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(queue.waiting(), 0u);
}

TEST(MainThreadQueueTest, ServingWithNothingQueuedReturnsAfterTheWait) {
    MainThreadQueue queue;
    queue.servePending(1ms);
    EXPECT_FALSE(queue.serveUntil([] { return false; }, 5ms));
    EXPECT_EQ(queue.served(), 0u);
}

}  // namespace
}  // namespace zuva::serial
