#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace orvane {

// Runs calls from worker threads on the GUI thread while the worker waits (the workers' synchronous
// report). After shutdown() every waiting and every later call returns at once without running,
// so workers still alive when the program closes can never block on a GUI that is gone.
class GuiBridge : public QObject
{
    Q_OBJECT
public:
    // Lives on the thread that creates it (the GUI thread).
    explicit GuiBridge(QObject *parent = nullptr);
    ~GuiBridge() override;

    struct Core;
    // What workers hold: outlives the bridge object itself.
    using Handle = std::shared_ptr<Core>;
    Handle handle() const { return m_core; }

    // Runs `call` on the bridge's thread and waits until it has run. Returns false when the call
    // was dropped because the bridge was shut down. From the bridge's own thread it runs directly.
    static bool synchronize(const Handle &bridge, const std::function<void()> &call);
    // Queues `call` for the bridge's thread, in order with every other call, and returns at once.
    // Dropped, unrun, once the bridge is shut down.
    static void post(const Handle &bridge, std::function<void()> call);

    // Drops every pending call and releases its waiting caller; later calls are dropped too.
    void shutdown();

    // Runs every call waiting in the queue (on the bridge's thread).
    void drain();

signals:
    // Emitted by a worker to wake the bridge's thread. A queued signal rather than a posted
    // functor, so that Qt alone allocates and frees the wake-up event.
    void drainRequested();

private:
    Handle m_core;
};

} // namespace orvane
