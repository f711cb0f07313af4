#include "engine/robots_cache.h"

#include "engine/page_source.h"
#include "engine/robots_txt.h"
#include "engine/web_address.h"

namespace orvane {

namespace {

std::shared_ptr<const RobotsTxt> fetchRules(const QByteArray &site, const PageSource &source,
                                            int timeOutMs, const CheckControl &control)
{
    try {
        const FetchedPage file = source.fetch(
            QString::fromUtf8(site) + QStringLiteral("/robots.txt"), timeOutMs, control);
        // "" is a whole 2xx answer; any note (an HTTP error, a cut-off file, a bot wall) means
        // the site said nothing we can read.
        if (file.note.isEmpty()) {
            return std::make_shared<const RobotsTxt>(RobotsTxt::parse(file.body));
        }
    } catch (const DownloadError &) {
    }
    return std::make_shared<const RobotsTxt>();
}

} // namespace

RobotsCache::RobotsCache() = default;
RobotsCache::~RobotsCache() = default;

bool RobotsCache::allows(const QString &pageUrl, const PageSource &source, int timeOutMs,
                         const CheckControl &control)
{
    const QByteArray url = pageUrl.toUtf8();
    const QByteArray site = siteOf(url);
    if (site.isEmpty()) {
        return true;
    }
    return rulesFor(site, source, timeOutMs, control)->allows(pathAndQueryOf(url));
}

std::shared_ptr<const RobotsTxt> RobotsCache::rulesFor(const QByteArray &site,
                                                       const PageSource &source, int timeOutMs,
                                                       const CheckControl &control)
{
    std::unique_lock lock(m_mutex);
    const auto emplaced = m_sites.try_emplace(site);
    const auto entry = emplaced.first;
    if (!emplaced.second) {
        if (!entry->second.ready) {
            // Told outside the lock: whoever hears it may take locks of its own.
            lock.unlock();
            control.tell(CheckWait::ForSite);
            lock.lock();
        }
        // The fetching worker always finishes: its fetch is bounded and ends on an abort.
        if (!m_read.wait(lock, control.stop, [&entry] { return entry->second.ready; })) {
            throw DownloadError(kStopped);
        }
        return entry->second.rules;
    }
    lock.unlock();
    const auto publish = [this, &entry](std::shared_ptr<const RobotsTxt> rules) {
        const std::lock_guard relock(m_mutex);
        entry->second.rules = std::move(rules);
        entry->second.ready = true;
        m_read.notify_all();
    };
    try {
        std::shared_ptr<const RobotsTxt> rules = fetchRules(site, source, timeOutMs, control);
        publish(rules);
        return rules;
    } catch (...) {
        // The workers waiting for this one go on, with everything allowed.
        publish(std::make_shared<const RobotsTxt>());
        throw;
    }
}

} // namespace orvane
