#include "engine/gui_bridge.h"

#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace orvane {

namespace {
struct CallState
{
    const std::function<void()> *call = nullptr;
    std::function<void()> posted; // a posted call's own, which nobody waits for
    std::condition_variable done;
    bool running = false;
    bool finished = false;
    bool dropped = false;
};
} // namespace

// Every hand-over between a worker and the GUI thread goes through this mutex, so the calls and
// their results are ordered by it alone, not by the event queue.
struct GuiBridge::Core
{
    std::mutex mutex;
    GuiBridge *receiver = nullptr; // null once shut down
    QThread *thread = nullptr;
    std::deque<std::shared_ptr<CallState>> queue;
    bool drainPosted = false;
};

GuiBridge::GuiBridge(QObject *parent) : QObject(parent), m_core(std::make_shared<Core>())
{
    m_core->receiver = this;
    m_core->thread = thread();
    connect(this, &GuiBridge::drainRequested, this, &GuiBridge::drain, Qt::QueuedConnection);
}

GuiBridge::~GuiBridge()
{
    shutdown();
}

bool GuiBridge::synchronize(const Handle &bridge, const std::function<void()> &call)
{
    if (!bridge) {
        return false;
    }
    Core &core = *bridge;
    if (QThread::currentThread() == core.thread) {
        {
            std::lock_guard lock(core.mutex);
            if (core.receiver == nullptr) {
                return false;
            }
        }
        call();
        return true;
    }

    auto state = std::make_shared<CallState>();
    state->call = &call; // the caller waits below until the call has run or was dropped
    std::unique_lock lock(core.mutex);
    if (core.receiver == nullptr) {
        return false;
    }
    core.queue.push_back(state);
    if (!core.drainPosted) {
        core.drainPosted = true;
        emit core.receiver->drainRequested();
    }
    state->done.wait(lock, [&] { return state->finished; });
    return !state->dropped;
}

void GuiBridge::post(const Handle &bridge, std::function<void()> call)
{
    if (!bridge) {
        return;
    }
    auto state = std::make_shared<CallState>();
    state->posted = std::move(call);
    state->call = &state->posted;
    Core &core = *bridge;
    std::lock_guard lock(core.mutex);
    if (core.receiver == nullptr) {
        return;
    }
    core.queue.push_back(std::move(state));
    if (!core.drainPosted) {
        core.drainPosted = true;
        emit core.receiver->drainRequested();
    }
}

void GuiBridge::drain()
{
    Core &core = *m_core;
    std::unique_lock lock(core.mutex);
    core.drainPosted = false;
    while (!core.queue.empty() && core.receiver != nullptr) {
        const std::shared_ptr<CallState> state = core.queue.front();
        core.queue.pop_front();
        state->running = true;
        lock.unlock();
        (*state->call)();
        lock.lock();
        state->finished = true;
        state->done.notify_all();
    }
}

void GuiBridge::shutdown()
{
    std::lock_guard lock(m_core->mutex);
    m_core->receiver = nullptr;
    for (const std::shared_ptr<CallState> &state : m_core->queue) {
        state->dropped = true;
        state->finished = true;
        state->done.notify_all();
    }
    m_core->queue.clear();
}

} // namespace orvane
