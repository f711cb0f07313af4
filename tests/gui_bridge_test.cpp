#include "engine/gui_bridge.h"
#include "support/wait.h"

#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace orvane {
namespace {

using orvane::testing::waitUntil;

TEST(GuiBridge, RunsWorkerCallsOnTheGuiThreadWhileTheWorkerWaits)
{
    GuiBridge bridge;
    const auto handle = bridge.handle();
    constexpr int kWorkers = 16;
    std::atomic<int> finished{0};
    std::atomic<int> ranOnGui{0};
    std::vector<std::thread> workers;
    workers.reserve(kWorkers);
    for (int i = 0; i < kWorkers; ++i) {
        workers.emplace_back([&] {
            bool ran = false;
            const bool delivered = GuiBridge::synchronize(handle, [&] {
                ran = true;
                if (QThread::currentThread() == bridge.thread()) {
                    ++ranOnGui;
                }
            });
            // The call has run completely before synchronize returns.
            EXPECT_TRUE(delivered);
            EXPECT_TRUE(ran);
            ++finished;
        });
    }
    EXPECT_TRUE(waitUntil([&] { return finished == kWorkers; }));
    for (auto &worker : workers) {
        worker.join();
    }
    EXPECT_EQ(ranOnGui, kWorkers);

    // From the GUI thread itself the call runs directly.
    bool direct = false;
    EXPECT_TRUE(GuiBridge::synchronize(handle, [&] { direct = true; }));
    EXPECT_TRUE(direct);
}

TEST(GuiBridge, ShutdownReleasesWaitingCallersWithoutRunningTheirCalls)
{
    auto bridge = std::make_unique<GuiBridge>();
    const auto handle = bridge->handle();
    std::atomic<int> ran{0};
    std::atomic<int> dropped{0};
    constexpr int kWorkers = 8;
    // The first caller to queue a call asks for a drain, from its own thread, then waits.
    std::atomic<bool> waiting{false};
    QObject::connect(
        bridge.get(), &GuiBridge::drainRequested, bridge.get(), [&waiting] { waiting = true; },
        Qt::DirectConnection);
    std::vector<std::thread> workers;
    workers.reserve(kWorkers);
    for (int i = 0; i < kWorkers; ++i) {
        workers.emplace_back([&] {
            if (!GuiBridge::synchronize(handle, [&] { ++ran; })) {
                ++dropped;
            }
        });
    }
    // No events are processed, so the calls queued so far are still waiting when the program
    // "closes"; the rest come after the end. Both kinds are dropped.
    while (!waiting) {
        std::this_thread::yield();
    }
    bridge->shutdown();
    for (auto &worker : workers) {
        worker.join();
    }
    EXPECT_EQ(dropped, 8);
    // The queued calls must not run later either, nor after the bridge is gone.
    waitUntil([] { return false; }, std::chrono::milliseconds(30));
    bridge.reset();
    waitUntil([] { return false; }, std::chrono::milliseconds(30));
    EXPECT_EQ(ran, 0);

    // Calls after the end are dropped at once.
    std::thread late([&] { EXPECT_FALSE(GuiBridge::synchronize(handle, [&] { ++ran; })); });
    late.join();
    EXPECT_FALSE(GuiBridge::synchronize(handle, [&] { ++ran; }));
    EXPECT_EQ(ran, 0);
}

} // namespace
} // namespace orvane
