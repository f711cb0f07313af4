#pragma once

#include "engine/check_control.h"

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

namespace orvane {

class PageSource;
class RobotsTxt;

// The robots.txt of each site, read once per run: the first worker of a site fetches it, the
// others of that site wait for that worker and share what it read. Shared by the workers of one
// run (a new run starts a new cache, so it sees a changed file).
class RobotsCache
{
public:
    RobotsCache();
    ~RobotsCache();
    RobotsCache(const RobotsCache &) = delete;
    RobotsCache &operator=(const RobotsCache &) = delete;

    // Whether the site's robots.txt lets Googlebot fetch the page. The file comes through
    // `source` with the worker's time-out. A 4xx, no connection, a time-out, a 5xx or a bot wall
    // count as no robots.txt: everything is allowed (the cell then makes no claim the site did
    // not make). A worker waiting for another's read of the file is told ForSite; its wait ends
    // with DownloadError(kStopped) when its check is stopped.
    bool allows(const QString &pageUrl, const PageSource &source, int timeOutMs,
                const CheckControl &control);

private:
    struct Site
    {
        bool ready = false;
        std::shared_ptr<const RobotsTxt> rules;
    };
    std::shared_ptr<const RobotsTxt> rulesFor(const QByteArray &site, const PageSource &source,
                                              int timeOutMs, const CheckControl &control);

    std::mutex m_mutex;
    std::condition_variable_any m_read;
    std::map<QByteArray, Site> m_sites;
};

} // namespace orvane
