#pragma once

#include "engine/check_control.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <chrono>
#include <optional>
#include <stdexcept>

namespace orvane {

// A fetch that delivered no page at all. what() is the status the row shows.
class DownloadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

inline constexpr char kUnableToInitialize[] = "Unable to initialize Wininet";
inline constexpr char kCannotOpenUrl[] = "Cannot open URL";

// Notes on a page that did arrive but is not the whole story. The page is still searched.
inline constexpr char kTimedOut[] = "Timed out";
inline constexpr char kDownloadIncomplete[] = "Download incomplete";
inline constexpr char kPageTooLarge[] = "Page too large";

inline constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 6.1; rv:22.0) Gecko/20100101 Firefox/22.0";
inline constexpr char kReferer[] = "http://www.google.com";
// The bytes of a body beyond this are dropped, so a hostile server cannot exhaust memory.
inline constexpr qsizetype kMaxPageBytes = qsizetype{16} * 1024 * 1024;

// The five request header lines, in order, as they go out.
QList<QByteArray> requestHeaderLines();

// Once per process, before any fetch (curl_global_init is not thread-safe). Also has large
// memory blocks mapped on their own, so that the memory of big pages is given back once freed.
void initializeFetcher();

// The libcurl build in use with its TLS and compression libraries ("libcurl/7.88.1 OpenSSL/3.0.x
// ..."), for error reports.
QString curlVersionText();

// Makes every running fetch end at once and every later one fail: used when the program closes.
void abortAllDownloads();
// Undoes abortAllDownloads (tests).
void resetDownloadAbort();

// How one fetch ended: the note Download_Page returns (or, when `failed`, the message it throws)
// and what the final response said besides its body.
struct FetchOutcome
{
    QString note;
    bool failed = false;
    // The connection was reset or closed before the answer was whole (not a time-out).
    bool connectionBroke = false;
    int status = 0; // the final response's HTTP status; 0 without a response
    // The answer arrived in part only: timed out, too large or broken off.
    bool cutOff = false;
    // Its Retry-After, when it had one that reads as delta-seconds or an HTTP-date.
    std::optional<std::chrono::milliseconds> retryAfter;
    bool challenge = false;    // it carried "cf-mitigated: challenge"
    QByteArrayList robotsTags; // its X-Robots-Tag values, at most kMaxRobotsTags of them
    QByteArrayList links;      // its Link header values, as many at most
    QByteArray finalUrl;       // the address it answered for, after the redirects followed
};
inline constexpr int kMaxRobotsTags = 32;
inline constexpr int kMaxRedirects = 10;
// A site that asks for a longer wait than this is not waited for.
inline constexpr std::chrono::seconds kLongestRetryAfter{60};

// One GET of URL, following its redirects, with the raw body, undecoded, in Page (emptied first).
// The address is used as given: one without a scheme, or with a scheme other than http and https,
// is not opened. Each transfer of the fetch (the page, then each redirect) waits for a slot of
// its site at the shared site gate; a 429 or 503 with a Retry-After of at most
// kLongestRetryAfter holds its site back for that long. TimeOutMs bounds the transfers together,
// connecting included but not the waits at the gate (0 = no limit).
FetchOutcome fetchOnce(const QString &URL, QByteArray &Page, int TimeOutMs);
// The same, for a check: its waits end when it is stopped (the fetch then fails with kStopped
// before any transfer begins) and are told to it.
FetchOutcome fetchOnce(const QString &URL, QByteArray &Page, int TimeOutMs,
                       const CheckControl &control);

// The same fetch. Throws DownloadError when no response arrived. Otherwise returns "" for a
// complete 2xx page, or the note that qualifies what arrived: kTimedOut, kDownloadIncomplete,
// kPageTooLarge or "HTTP <code>" for a final status outside 200-299.
QString Download_Page(const QString &URL, QByteArray &Page, int TimeOutMs);
// RobotsTags (when given) receives the values of the final response's X-Robots-Tag headers.
QString Download_Page(const QString &URL, QByteArray &Page, int TimeOutMs,
                      QByteArrayList *RobotsTags);

// A Retry-After value as a wait from `now`: delta-seconds, or an HTTP-date (a date gone by is no
// wait). Nothing for a value that is neither.
std::optional<std::chrono::milliseconds> retryAfterDelay(QByteArrayView value,
                                                         std::chrono::system_clock::time_point now);

} // namespace orvane
