#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <functional>

namespace orvane::testing {

// Processes the GUI thread's events until `done` holds or `timeout` passes; returns `done()`.
inline bool waitUntil(const std::function<bool()> &done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10))
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
