#include "engine/gui_bridge.h"

#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <unordered_set>

namespace orvane {

namespace {
struct CallState
{
    std::condition_variable done;
    bool running = false;
    bool finished = false;
    bool dropped = false;
};
} // namespace

struct GuiBridge::Core
{
    std::mutex mutex;
    QObject *receiver = nullptr; // null once shut down
    QThread *thread = nullptr;
    std::unordered_set<CallState *> pending;
};

GuiBridge::GuiBridge(QObject *parent) : QObject(parent), m_core(std::make_shared<Core>())
{
    m_core->receiver = this;
    m_core->thread = thread();
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
    std::unique_lock lock(core.mutex);
    if (core.receiver == nullptr) {
        return false;
    }
    core.pending.insert(state.get());
    // The caller waits below until the call has run or was dropped, so `call` outlives every use.
    const std::function<void()> *callPointer = &call;
    QMetaObject::invokeMethod(
        core.receiver,
        [bridge, state, callPointer] {
            Core &c = *bridge;
            {
                std::lock_guard guard(c.mutex);
                if (state->finished) {
                    return; // dropped by shutdown; the caller has gone on
                }
                state->running = true;
            }
            (*callPointer)();
            std::lock_guard guard(c.mutex);
            state->finished = true;
            state->done.notify_all();
        },
        Qt::QueuedConnection);
    state->done.wait(lock, [&] { return state->finished; });
    core.pending.erase(state.get());
    return !state->dropped;
}

void GuiBridge::shutdown()
{
    std::lock_guard lock(m_core->mutex);
    m_core->receiver = nullptr;
    for (CallState *state : m_core->pending) {
        if (!state->running && !state->finished) {
            state->dropped = true;
            state->finished = true;
            state->done.notify_all();
        }
    }
}

bool GuiBridge::isShutDown() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->receiver == nullptr;
}

} // namespace orvane
