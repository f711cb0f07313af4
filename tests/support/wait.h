#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <functional>

namespace orvane::testing {

// The upper bound for a test whose subject is time, such as a time-out that fires: three times
// what the default build takes, plus five seconds, so that a sanitizer build on a busy two-core
// machine passes too. Elsewhere a test asserts what happened, not how soon.
constexpr std::chrono::milliseconds timeBound(std::chrono::milliseconds expected)
{
    return 3 * expected + std::chrono::seconds(5);
}

// How long a wait for something that must happen goes on before the test gives up: long, as it
// only shows a hang and a passing test never waits it out, yet within CTest's time-out of a test.
inline constexpr std::chrono::milliseconds kGiveUp = std::chrono::seconds(60);

// Processes the GUI thread's events until `done` holds or `timeout` passes; returns `done()`.
inline bool waitUntil(const std::function<bool()> &done,
                      std::chrono::milliseconds timeout = kGiveUp)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count()) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

} // namespace orvane::testing
