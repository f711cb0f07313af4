#pragma once

#include "engine/check_control.h"

#include <QtGlobal>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace orvane {

// Bounds the page bytes that workers hold at once, whatever the pages weigh and however many
// workers run. A worker holds a lease on the budget: its fetch grows the lease before the body
// grows (the whole announced length at once, else step by step as the body comes); decoding then
// grows it by the two bytes of UTF-16 text a body byte becomes, and shrinks it to the text once the
// bytes are let go. A lease that would pass the limit waits, its socket stalled meanwhile, until
// others give bytes back.
//
// Bodies may take seven eighths of the limit; the last eighth is for decoding only, so a page
// received can always be decoded once the decodings before it are done (decodings wait for
// nothing else) and no two pages ever wait for each other. Waiting leases are served decodings
// first, then holders, each oldest first, then the others in the order they asked. When every
// holder waits, the first of them in that order goes on past the limit: without it nobody would
// ever give anything back. The oldest holder has waited longest and, its page being the first
// served all along, has the most of it in hand, so letting it finish frees memory soonest and
// starves nobody; the budget is then passed by at most one page.
class PageBudget
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr qsizetype kUnlimited = 0;
    // While a page is decoded: its byte, and the two bytes of UTF-16 text it becomes.
    static constexpr qsizetype kDecodingCostPerBodyByte = 3;
    enum class Use { Body, Decoding };

    // The process's budget, sized for the machine on first use.
    static PageBudget &shared();
    // An eighth of physical memory, within [256 MiB, 896 MiB] (see docs/ARCHITECTURE.md).
    static qsizetype sizeForMachine();

    explicit PageBudget(qsizetype limit) : m_limit(limit) {}
    PageBudget(const PageBudget &) = delete;
    PageBudget &operator=(const PageBudget &) = delete;

    // kUnlimited, or the most bytes held at once. Waiting leases see a raised limit at once.
    void setLimit(qsizetype limit);
    qsizetype limit() const;
    qsizetype held() const;
    // The most bytes held at once since the last reset.
    qsizetype highWater() const;
    void resetHighWater();

    // Wakes every waiting lease and fails every later wait: the program is closing.
    void abort();
    // Undoes abort (tests).
    void resetAbort();

    // The bytes one worker holds; given back when destroyed. While it lives it is its thread's
    // current lease, which the fetcher charges. With a check's control, a body's wait ends when the
    // check is stopped and is told to it.
    class Lease
    {
    public:
        explicit Lease(PageBudget &budget = shared(), const CheckControl *control = nullptr);
        ~Lease();
        Lease(const Lease &) = delete;
        Lease &operator=(const Lease &) = delete;

        // Holds at least `bytes` in all, waiting while that would pass the limit. The time
        // waited, or nothing when the budget was aborted or (for a body) the check stopped. A
        // decoding waits on: its page is in hand.
        std::optional<Clock::duration> holdAtLeast(qsizetype bytes, Use use = Use::Body);
        // Gives back what passes `bytes`, never waiting.
        void shrinkTo(qsizetype bytes);
        // Gives every byte back: before a wait for anything else, so that no holder ever waits
        // for a worker that waits for the budget.
        void release();
        qsizetype bytes() const { return m_bytes; }

        // The innermost lease alive on this thread, if any.
        static Lease *current();

    private:
        PageBudget &m_budget;
        qsizetype m_bytes = 0;
        std::uint64_t m_age;
        Lease *m_outer;
        const CheckControl *m_control;
    };

private:
    struct Waiter
    {
        std::uint64_t age;
        qsizetype more;
        bool holder;
        bool decoding;
        std::uint64_t asked;
        bool granted = false;
        std::condition_variable_any wake;
    };

    void grantWaiting();
    void take(qsizetype bytes);
    void giveBack(qsizetype bytes, bool wasHolder);

    mutable std::mutex m_mutex;
    qsizetype m_limit;
    qsizetype m_held = 0;
    qsizetype m_highWater = 0;
    int m_holders = 0;
    int m_waitingHolders = 0;
    std::uint64_t m_nextAge = 0;
    std::uint64_t m_nextAsked = 0;
    std::vector<Waiter *> m_waiters;
    bool m_aborted = false;
};

} // namespace orvane
