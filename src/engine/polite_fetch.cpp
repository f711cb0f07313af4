#include "engine/polite_fetch.h"

#include "engine/bot_walls.h"
#include "engine/page_fetcher.h"
#include "engine/site_gate.h"

#include <optional>

namespace orvane {

namespace {

using std::chrono::milliseconds;

constexpr int kMostRetriesAfterWaiting = 2;
constexpr milliseconds kThrottledPause{2000};
constexpr milliseconds kPassingFaultPause{1000};

// How long to wait before the next try, or nothing when this try's answer is final.
std::optional<milliseconds> retryPause(const FetchOutcome &outcome, int retries)
{
    if (outcome.status == 429 || outcome.status == 503) {
        if (outcome.retryAfter) {
            // The site gate holds the site back for the wait asked.
            const bool honoured = *outcome.retryAfter <= kLongestRetryAfter;
            return honoured && retries < kMostRetriesAfterWaiting ? std::optional(milliseconds(0))
                                                                  : std::nullopt;
        }
        return retries == 0 ? std::optional(kThrottledPause) : std::nullopt;
    }
    const bool passing = outcome.connectionBroke || outcome.status == 502 ||
                         outcome.status == 504 ||
                         outcome.note == QLatin1String(kDownloadIncomplete);
    return passing && retries == 0 ? std::optional(kPassingFaultPause) : std::nullopt;
}

} // namespace

FetchedPage fetchPolitely(const QString &url, int timeOutMs, const CheckControl &control)
{
    FetchedPage page;
    CheckControl retrying = control;
    for (int retries = 0;; ++retries) {
        FetchOutcome outcome =
            fetchOnce(url, page.body, timeOutMs, retries == 0 ? control : retrying);
        if (!outcome.failed && isBotWall(outcome.status, outcome.challenge, page.body)) {
            page.body.clear();
            page.note = QLatin1String(kBlockedByBotCheck);
            page.botWall = true;
            return page;
        }
        const std::optional<milliseconds> pause = retryPause(outcome, retries);
        if (pause) {
            control.tell(CheckWait::ToRetry);
            // After a pause of our own the wait for the site is the site's; after a Retry-After
            // it is the retry's.
            retrying.atGate = *pause == milliseconds(0) ? CheckWait::ToRetry : CheckWait::ForSite;
        }
        if (!pause || !SiteGate::shared().pause(*pause, control.stop)) {
            if (pause && control.stopped()) {
                throw DownloadError(kStopped);
            }
            if (outcome.failed) {
                throw DownloadError(outcome.note.toStdString());
            }
            page.note = std::move(outcome.note);
            page.robotsTags = std::move(outcome.robotsTags);
            page.links = std::move(outcome.links);
            page.finalUrl = QString::fromUtf8(outcome.finalUrl);
            page.status = outcome.status;
            page.cutOff = outcome.cutOff;
            return page;
        }
    }
}

} // namespace orvane
