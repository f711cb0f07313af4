#pragma once

#include <functional>
#include <stop_token>

namespace orvane {

// What a pending check waits for, as its row says it. None: nothing, its transfer runs.
enum class CheckWait { None, ForThread, ForSite, ToRetry, ForMemory };

// The status of a check that its run's Stop ended before its transfer began.
inline constexpr char kStopped[] = "Stopped";

// What the waits of one check answer to: its run's stop request, which ends every wait at once
// (a transfer already running goes on), and whoever shows what the check waits for.
struct CheckControl
{
    std::stop_token stop;
    // Told on the check's own thread whenever it starts or ends a wait.
    std::function<void(CheckWait)> told;
    // What a wait at the site gate is, for the row: a retry's wait for its site's hold is the
    // retry.
    CheckWait atGate = CheckWait::ForSite;

    bool stopped() const { return stop.stop_requested(); }
    void tell(CheckWait what) const
    {
        if (told) {
            told(what);
        }
    }
};

} // namespace orvane
