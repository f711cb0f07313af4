#include "engine/page_budget.h"

#include <algorithm>
#include <tuple>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace orvane {

namespace {

constexpr qsizetype kMiB = qsizetype{1024} * 1024;
// Its eighth for decoding still decodes a page at the size cap (16 MiB, three times over).
constexpr qsizetype kSmallestBudget = 256 * kMiB;
// With the program's own hundred megabytes, a run stays under 1 GB on any machine.
constexpr qsizetype kLargestBudget = 896 * kMiB;

thread_local PageBudget::Lease *t_current = nullptr;

// Zero when the system does not say.
qint64 physicalMemoryBytes()
{
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    return GlobalMemoryStatusEx(&status) != 0 ? static_cast<qint64>(status.ullTotalPhys) : 0;
#elif defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? qint64{pages} * pageSize : 0;
#else
    return 0;
#endif
}

} // namespace

PageBudget &PageBudget::shared()
{
    static PageBudget budget(sizeForMachine());
    return budget;
}

qsizetype PageBudget::sizeForMachine()
{
    // The rest is the desktop's: an 8 GiB laptop gives the pages 896 MiB, a 4 GiB one 512 MiB.
    const qint64 share = physicalMemoryBytes() / 8;
    return static_cast<qsizetype>(std::clamp<qint64>(share, kSmallestBudget, kLargestBudget));
}

void PageBudget::setLimit(qsizetype limit)
{
    std::lock_guard lock(m_mutex);
    m_limit = limit;
    grantWaiting();
}

qsizetype PageBudget::limit() const
{
    std::lock_guard lock(m_mutex);
    return m_limit;
}

qsizetype PageBudget::held() const
{
    std::lock_guard lock(m_mutex);
    return m_held;
}

qsizetype PageBudget::highWater() const
{
    std::lock_guard lock(m_mutex);
    return m_highWater;
}

void PageBudget::resetHighWater()
{
    std::lock_guard lock(m_mutex);
    m_highWater = m_held;
}

void PageBudget::abort()
{
    std::lock_guard lock(m_mutex);
    m_aborted = true;
    for (Waiter *waiter : m_waiters) {
        waiter->wake.notify_one();
    }
}

void PageBudget::resetAbort()
{
    std::lock_guard lock(m_mutex);
    m_aborted = false;
}

void PageBudget::take(qsizetype bytes)
{
    m_held += bytes;
    m_highWater = std::max(m_highWater, m_held);
}

void PageBudget::giveBack(qsizetype bytes, bool wasHolder)
{
    m_held -= bytes;
    m_holders -= wasHolder ? 1 : 0;
    grantWaiting();
}

// Under the lock, whenever bytes, holders, waiters or the limit change.
void PageBudget::grantWaiting()
{
    while (!m_waiters.empty()) {
        // Decodings first, then holders, each oldest first; then the others as they asked.
        const auto rank = [](const Waiter *w) {
            return std::tuple(w->decoding ? 0 : w->holder ? 1 : 2, w->holder ? w->age : w->asked);
        };
        const auto next = std::min_element(
            m_waiters.begin(), m_waiters.end(),
            [&rank](const Waiter *a, const Waiter *b) { return rank(a) < rank(b); });
        Waiter &waiter = **next;
        const qsizetype ceiling = waiter.decoding ? m_limit : m_limit - m_limit / 8;
        const bool fits = m_limit == kUnlimited || m_held + waiter.more <= ceiling;
        if (!fits && m_waitingHolders < m_holders) {
            return; // a holder still at work gives bytes back in time
        }
        take(waiter.more);
        if (waiter.holder) {
            --m_waitingHolders;
        } else {
            ++m_holders;
        }
        waiter.granted = true;
        m_waiters.erase(next);
        waiter.wake.notify_one();
    }
}

PageBudget::Lease::Lease(PageBudget &budget, const CheckControl *control)
    : m_budget(budget), m_outer(t_current), m_control(control)
{
    {
        std::lock_guard lock(m_budget.m_mutex);
        m_age = m_budget.m_nextAge++;
    }
    t_current = this;
}

PageBudget::Lease::~Lease()
{
    t_current = m_outer;
    release();
}

void PageBudget::Lease::release()
{
    if (m_bytes > 0) {
        std::lock_guard lock(m_budget.m_mutex);
        m_budget.giveBack(m_bytes, true);
        m_bytes = 0;
    }
}

void PageBudget::Lease::shrinkTo(qsizetype bytes)
{
    if (bytes <= 0) {
        release();
    } else if (bytes < m_bytes) {
        std::lock_guard lock(m_budget.m_mutex);
        m_budget.giveBack(m_bytes - bytes, false);
        m_bytes = bytes;
    }
}

PageBudget::Lease *PageBudget::Lease::current()
{
    return t_current;
}

std::optional<PageBudget::Clock::duration> PageBudget::Lease::holdAtLeast(qsizetype bytes, Use use)
{
    if (bytes <= m_bytes) {
        return Clock::duration::zero();
    }
    const auto started = Clock::now();
    std::unique_lock lock(m_budget.m_mutex);
    if (m_budget.m_aborted) {
        return std::nullopt;
    }
    Waiter waiter{m_age, bytes - m_bytes, m_bytes > 0, use == Use::Decoding,
                  m_budget.m_nextAsked++};
    m_budget.m_waiters.push_back(&waiter);
    m_budget.m_waitingHolders += waiter.holder ? 1 : 0;
    m_budget.grantWaiting();
    const bool told = !waiter.granted && m_control != nullptr;
    if (told) {
        // Told outside the lock: whoever hears it may take locks of its own.
        lock.unlock();
        m_control->tell(CheckWait::ForMemory);
        lock.lock();
    }
    const std::stop_token stop =
        use == Use::Body && m_control != nullptr ? m_control->stop : std::stop_token();
    waiter.wake.wait(lock, stop, [&] { return waiter.granted || m_budget.m_aborted; });
    if (!waiter.granted) {
        std::erase(m_budget.m_waiters, &waiter);
        m_budget.m_waitingHolders -= waiter.holder ? 1 : 0;
        m_budget.grantWaiting(); // one waiter less may leave every other holder waiting
        return std::nullopt;
    }
    m_bytes = bytes;
    lock.unlock();
    if (told) {
        m_control->tell(CheckWait::None);
    }
    return Clock::now() - started;
}

} // namespace orvane
