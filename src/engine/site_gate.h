#pragma once

#include <QByteArray>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <stop_token>

namespace orvane {

// Lets at most `limit` transfers to one site run at once, in the order they asked, and holds a
// site's transfers back while the site asked us to wait. One gate serves every worker of the
// process, so that a list full of one site's pages cannot hammer it whatever the worker limit.
class SiteGate
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kNoLimit = 0;
    static constexpr int kDefaultLimit = 6; // what browsers open to one host

    // The process's gate; the shutdown aborts it.
    static SiteGate &shared();

    // The right to run one transfer to a site; given back when destroyed.
    class Slot
    {
    public:
        Slot() = default;
        Slot(Slot &&other) noexcept;
        Slot &operator=(Slot &&other) noexcept;
        ~Slot();
        Slot(const Slot &) = delete;
        Slot &operator=(const Slot &) = delete;

        explicit operator bool() const { return m_gate != nullptr; }
        const QByteArray &site() const { return m_site; }

    private:
        friend class SiteGate;
        Slot(SiteGate *gate, QByteArray site) : m_gate(gate), m_site(std::move(site)) {}
        SiteGate *m_gate = nullptr;
        QByteArray m_site;
    };

    // Waits until the site has a free slot and is not held back, then takes the slot. An empty
    // slot once the gate is aborted or `stop` is requested; a stopped waiter leaves the queue at
    // once. A site of "" (an address without one) is never limited.
    Slot enter(const QByteArray &site, const std::stop_token &stop = {});
    // The slot if it is free now and nobody waits for it; otherwise an empty slot, at once.
    Slot tryEnter(const QByteArray &site);

    // kNoLimit, or the most transfers to one site at once. Waiting transfers see a raised limit
    // at once; running ones are not touched by a lowered one.
    void setLimit(int limit);
    int limit() const;

    // No transfer to the site starts before `until` (a later hold already set stays).
    void holdBack(const QByteArray &site, Clock::time_point until);

    // Sleeps for `duration`, unless the gate is aborted or `stop` is requested first; false then.
    bool pause(std::chrono::milliseconds duration, const std::stop_token &stop = {});

    // Wakes every waiting transfer and pause and fails every later one: the program is closing.
    void abort();
    // Undoes abort (tests).
    void resetAbort();

private:
    struct Waiter
    {
        std::condition_variable_any wake;
        bool granted = false;
        bool nudged = false; // the site's hold changed: the waiter sleeps to a new deadline
    };
    struct Site
    {
        int running = 0;
        std::deque<Waiter *> queue;
        Clock::time_point heldUntil;
    };

    bool hasRoom(const Site &site) const;
    void admit(Site &site, Clock::time_point now);
    void leave(const QByteArray &site);
    void forgetIfIdle(std::map<QByteArray, Site>::iterator site);

    mutable std::mutex m_mutex;
    std::condition_variable_any m_pauses;
    std::map<QByteArray, Site> m_sites;
    int m_limit = kDefaultLimit;
    bool m_aborted = false;
};

} // namespace orvane
