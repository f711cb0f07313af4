#pragma once

#include "engine/check_control.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace orvane {

// A page as a polite fetch brought it.
struct FetchedPage
{
    QByteArray body;
    // "" for a whole 2xx page, otherwise the note of the last try (as Download_Page words it).
    QString note;
    QByteArrayList robotsTags; // the final response's X-Robots-Tag values
    QByteArrayList links;      // and its Link header values
    QString finalUrl;          // the address that answered, after the redirects (empty: the page's)
    // A bot check answered instead of the page; the body is not the page (and is left empty).
    bool botWall = false;
    int status = 0;      // the final response's HTTP status
    bool cutOff = false; // the body arrived in part only (the note says why)
};

inline constexpr char kBlockedByBotCheck[] = "Blocked (bot check)";

// Download_Page as a considerate client does it: through the site gate (fetchOnce), and tried
// again where the failure is likely to pass. A 429 or 503 with a Retry-After of at most a minute
// is tried again when its site's hold ends, at most twice; one without a Retry-After once, after
// 2 s; a transfer that broke off, a reset connection, a 502 or a 504 once, after 1 s. Everything
// else is final, and so is a bot wall. Throws DownloadError when the last try got no response,
// and kStopped when the check was stopped while it waited (for its site, a retry or memory).
FetchedPage fetchPolitely(const QString &url, int timeOutMs, const CheckControl &control = {});

} // namespace orvane
