#include "app/QtDispatcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace zuva::app {
namespace {

using namespace std::chrono_literals;

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "tests_app";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

TEST(QtDispatcher, HandOffRunsOnTheMainThreadThroughTheEventLoop) {
    application();
    QtDispatcher dispatcher;
    const auto mainThread = std::this_thread::get_id();
    std::vector<std::thread::id> ranOn;
    std::atomic<int> returned{0};
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) {
            dispatcher.runOnMainThread([&] { ranOn.push_back(std::this_thread::get_id()); });
            // Blocking: the task has run when the call returns.
            if (ranOn.size() == static_cast<std::size_t>(i + 1)) ++returned;
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (returned < 50 && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    worker.join();
    EXPECT_EQ(returned.load(), 50);
    ASSERT_EQ(ranOn.size(), 50u);
    for (const auto& id : ranOn) EXPECT_EQ(id, mainThread);
}

TEST(QtDispatcher, MainThreadWaitingForTheEventThreadServesItsHandOff) {
    application();
    QtDispatcher dispatcher;
    std::atomic<bool> ran{false};
    std::thread worker([&] { dispatcher.runOnMainThread([&] { ran = true; }); });
    // As ClosePort does: no event loop runs while the main thread waits for the
    // event thread, so the hand-off must be served here or the join never returns.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!ran && std::chrono::steady_clock::now() < deadline) dispatcher.servePending(20ms);
    worker.join();
    EXPECT_TRUE(ran);
    // The wake-up posted to the loop finds nothing left to do.
    QCoreApplication::processEvents();
}

TEST(QtDispatcher, ErrorOfAServedTaskPassesToTheWaitingMainThreadAfterRelease) {
    application();
    QtDispatcher dispatcher;
    std::atomic<bool> released{false};
    std::thread worker([&] {
        dispatcher.runOnMainThread([] { throw std::runtime_error("handler failed"); });
        released = true;
    });
    bool thrown = false;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!thrown && std::chrono::steady_clock::now() < deadline) {
        try {
            dispatcher.servePending(20ms);
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "handler failed");
            thrown = true;
        }
    }
    worker.join();
    EXPECT_TRUE(thrown);
    EXPECT_TRUE(released);
    QCoreApplication::processEvents();
}

TEST(QtDispatcher, TaskFromTheMainThreadRunsAtOnce) {
    application();
    QtDispatcher dispatcher;
    int runs = 0;
    dispatcher.runOnMainThread([&] { ++runs; });
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace zuva::app
