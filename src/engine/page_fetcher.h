#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
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

// Fetches URL with one GET and puts the raw body, undecoded, into Page (emptied first).
// The address is used as given: one without a scheme, or with a scheme other than http and https,
// is not opened. TimeOutMs bounds the whole fetch, connecting included (0 = no limit).
// Throws DownloadError when no response arrived. Otherwise returns "" for a complete 2xx page, or
// the note that qualifies what arrived: kTimedOut, kDownloadIncomplete, kPageTooLarge or
// "HTTP <code>" for a final status outside 200-299.
QString Download_Page(const QString &URL, QByteArray &Page, int TimeOutMs);
// The same fetch; RobotsTags (when given) receives the values of the final response's
// X-Robots-Tag headers, at most kMaxRobotsTags of them.
QString Download_Page(const QString &URL, QByteArray &Page, int TimeOutMs,
                      QByteArrayList *RobotsTags);
inline constexpr int kMaxRobotsTags = 32;

} // namespace orvane
