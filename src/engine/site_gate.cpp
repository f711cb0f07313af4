#include "engine/site_gate.h"

#include <algorithm>
#include <utility>

namespace orvane {

SiteGate &SiteGate::shared()
{
    static SiteGate gate;
    return gate;
}

SiteGate::Slot::Slot(Slot &&other) noexcept
    : m_gate(std::exchange(other.m_gate, nullptr)), m_site(std::move(other.m_site))
{}

SiteGate::Slot &SiteGate::Slot::operator=(Slot &&other) noexcept
{
    if (this != &other) {
        if (m_gate != nullptr) {
            m_gate->leave(m_site);
        }
        m_gate = std::exchange(other.m_gate, nullptr);
        m_site = std::move(other.m_site);
    }
    return *this;
}

SiteGate::Slot::~Slot()
{
    if (m_gate != nullptr) {
        m_gate->leave(m_site);
    }
}

bool SiteGate::hasRoom(const Site &site) const
{
    return m_limit == kNoLimit || site.running < m_limit;
}

void SiteGate::admit(Site &site, Clock::time_point now)
{
    // First come, first served: rows go out in the order they were dispatched.
    while (!site.queue.empty() && hasRoom(site) && now >= site.heldUntil) {
        Waiter *next = site.queue.front();
        site.queue.pop_front();
        next->granted = true;
        ++site.running;
        next->wake.notify_one();
    }
}

SiteGate::Slot SiteGate::tryEnter(const QByteArray &key)
{
    if (key.isEmpty()) {
        return Slot(this, key);
    }
    std::lock_guard lock(m_mutex);
    if (m_aborted) {
        return {};
    }
    Site &site = m_sites.try_emplace(key).first->second;
    if (site.queue.empty() && hasRoom(site) && Clock::now() >= site.heldUntil) {
        ++site.running;
        return Slot(this, key);
    }
    forgetIfIdle(m_sites.find(key));
    return {};
}

SiteGate::Slot SiteGate::enter(const QByteArray &key, const std::stop_token &stop)
{
    if (key.isEmpty()) {
        return Slot(this, key);
    }
    std::unique_lock lock(m_mutex);
    if (m_aborted || stop.stop_requested()) {
        return {};
    }
    const auto entry = m_sites.try_emplace(key).first;
    Site &site = entry->second;
    if (site.queue.empty() && hasRoom(site) && Clock::now() >= site.heldUntil) {
        ++site.running;
        return Slot(this, key);
    }
    // The entry cannot go while this waiter is queued in it.
    Waiter me;
    site.queue.push_back(&me);
    const auto woken = [&] { return me.granted || m_aborted || std::exchange(me.nudged, false); };
    while (!me.granted && !m_aborted && !stop.stop_requested()) {
        if (Clock::now() < site.heldUntil) {
            me.wake.wait_until(lock, stop, site.heldUntil, woken);
        } else {
            me.wake.wait(lock, stop, woken);
        }
        admit(site, Clock::now()); // a hold may have run out
    }
    if (!me.granted) {
        site.queue.erase(std::find(site.queue.begin(), site.queue.end(), &me));
        forgetIfIdle(entry);
        return {};
    }
    return Slot(this, key);
}

void SiteGate::leave(const QByteArray &key)
{
    if (key.isEmpty()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    const auto entry = m_sites.find(key);
    if (entry == m_sites.end()) {
        return;
    }
    --entry->second.running;
    admit(entry->second, Clock::now());
    forgetIfIdle(entry);
}

void SiteGate::forgetIfIdle(std::map<QByteArray, Site>::iterator entry)
{
    const Site &site = entry->second;
    if (site.running == 0 && site.queue.empty() && Clock::now() >= site.heldUntil) {
        m_sites.erase(entry);
    }
}

void SiteGate::setLimit(int limit)
{
    std::lock_guard lock(m_mutex);
    m_limit = std::max(limit, kNoLimit);
    const auto now = Clock::now();
    for (auto &entry : m_sites) {
        admit(entry.second, now);
    }
}

int SiteGate::limit() const
{
    std::lock_guard lock(m_mutex);
    return m_limit;
}

void SiteGate::holdBack(const QByteArray &key, Clock::time_point until)
{
    if (key.isEmpty()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    Site &site = m_sites[key];
    site.heldUntil = std::max(site.heldUntil, until);
    // Waiters asleep without a deadline must now wake when the hold ends.
    for (Waiter *waiter : site.queue) {
        waiter->nudged = true;
        waiter->wake.notify_one();
    }
}

bool SiteGate::pause(std::chrono::milliseconds duration, const std::stop_token &stop)
{
    std::unique_lock lock(m_mutex);
    const bool aborted = m_pauses.wait_for(lock, stop, duration, [this] { return m_aborted; });
    return !aborted && !stop.stop_requested();
}

void SiteGate::abort()
{
    std::lock_guard lock(m_mutex);
    m_aborted = true;
    for (auto &entry : m_sites) {
        for (Waiter *waiter : entry.second.queue) {
            waiter->wake.notify_one();
        }
    }
    m_pauses.notify_all();
}

void SiteGate::resetAbort()
{
    std::lock_guard lock(m_mutex);
    m_aborted = false;
}

} // namespace orvane
