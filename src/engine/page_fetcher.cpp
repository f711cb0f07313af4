#include "engine/page_fetcher.h"

#include "engine/ca_store.h"
#include "engine/memory.h"

#include <atomic>
#include <cstring>
#include <curl/curl.h>
#include <exception>
#include <mutex>
#include <string>
#include <unordered_set>

namespace orvane {

namespace {

std::once_flag g_initOnce;
std::atomic<bool> g_aborted{false};

// Multi handles of the fetches running now, so that an abort can wake each one up.
std::mutex g_runningMutex;
std::unordered_set<CURLM *> g_running;

class RunningRegistration
{
public:
    explicit RunningRegistration(CURLM *multi) : m_multi(multi)
    {
        std::lock_guard lock(g_runningMutex);
        g_running.insert(m_multi);
    }
    ~RunningRegistration()
    {
        // Under the lock: abortAllDownloads must never wake a multi handle being cleaned up.
        std::lock_guard lock(g_runningMutex);
        g_running.erase(m_multi);
    }
    RunningRegistration(const RunningRegistration &) = delete;
    RunningRegistration &operator=(const RunningRegistration &) = delete;

private:
    CURLM *m_multi;
};

// Everything one fetch owns; released in the right order on every way out.
struct Transfer
{
    CURL *easy = nullptr;
    CURLM *multi = nullptr;
    curl_slist *headers = nullptr;
    bool added = false;

    Transfer() : easy(curl_easy_init()), multi(curl_multi_init()) {}
    ~Transfer()
    {
        if (added) {
            curl_multi_remove_handle(multi, easy);
        }
        if (easy != nullptr) {
            curl_easy_cleanup(easy);
        }
        if (multi != nullptr) {
            curl_multi_cleanup(multi);
        }
        curl_slist_free_all(headers);
    }
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;
};

// What the callbacks learn while the transfer runs.
struct Progress
{
    QByteArray *page = nullptr;
    QByteArrayList *robotsTags = nullptr;
    int status = 0;
    bool location = false;
    // The headers of a response that curl does not follow have arrived: from here on a failure
    // leaves a partial page, not "no page".
    bool responseArrived = false;
    bool tooLarge = false;
    std::exception_ptr error;
};

bool startsWithNoCase(const char *data, size_t size, const char *prefix)
{
    const size_t length = std::char_traits<char>::length(prefix);
    return size >= length && qstrnicmp(data, prefix, length) == 0;
}

size_t onHeaderLine(char *data, size_t size, size_t count, void *user)
{
    auto &progress = *static_cast<Progress *>(user);
    const size_t length = size * count;
    if (startsWithNoCase(data, length, "HTTP/")) {
        // A new response starts (after a redirect or a 1xx): only the last one's body is the page.
        progress.status = 0;
        progress.location = false;
        progress.responseArrived = false;
        progress.page->clear();
        if (progress.robotsTags != nullptr) {
            progress.robotsTags->clear();
        }
        const char *space = static_cast<const char *>(memchr(data, ' ', length));
        if (space != nullptr) {
            const char *end = data + length;
            int code = 0;
            for (const char *p = space + 1; p < end && p < space + 4 && *p >= '0' && *p <= '9';
                 ++p) {
                code = code * 10 + (*p - '0');
            }
            progress.status = code;
        }
    } else if (startsWithNoCase(data, length, "Location:")) {
        progress.location = true;
    } else if (startsWithNoCase(data, length, "X-Robots-Tag:")) {
        constexpr size_t name = sizeof("X-Robots-Tag:") - 1;
        if (progress.robotsTags != nullptr && progress.robotsTags->size() < kMaxRobotsTags) {
            progress.robotsTags->append(
                QByteArray(data + name, qsizetype(length - name)).trimmed());
        }
    } else if (length <= 2 && (length == 0 || data[0] == '\r' || data[0] == '\n')) {
        const bool interim = progress.status < 200;
        const bool followed = progress.status >= 300 && progress.status < 400 && progress.location;
        if (!interim && !followed) {
            progress.responseArrived = true;
        }
    }
    return length;
}

size_t onBody(char *data, size_t size, size_t count, void *user)
{
    auto &progress = *static_cast<Progress *>(user);
    const size_t length = size * count;
    if (g_aborted.load(std::memory_order_relaxed)) {
        return 0;
    }
    try {
        const qsizetype room = kMaxPageBytes - progress.page->size();
        if (static_cast<qsizetype>(length) > room) {
            progress.page->append(data, room);
            progress.tooLarge = true;
            return 0; // ends the transfer: an endless body must not keep us reading
        }
        progress.page->append(data, static_cast<qsizetype>(length));
        return length;
    } catch (...) {
        progress.error = std::current_exception();
        return 0;
    }
}

int onSslContext(CURL *, void *sslContext, void *)
{
    return tls::installSharedStore(static_cast<SSL_CTX *>(sslContext)) ? CURLE_OK
                                                                       : CURLE_SSL_CACERT_BADFILE;
}

[[noreturn]] void fail(QByteArray &page, const char *message)
{
    page.clear();
    throw DownloadError(message);
}

// WinInet-style: an address without a scheme of its own is not opened. (curl would guess one.)
bool hasScheme(const QByteArray &url)
{
    CURLU *parsed = curl_url();
    if (parsed == nullptr) {
        return false;
    }
    const bool ok = curl_url_set(parsed, CURLUPART_URL, url.constData(), 0) == CURLUE_OK;
    curl_url_cleanup(parsed);
    return ok;
}

void configure(Transfer &transfer, const QByteArray &url, Progress &progress, int timeOutMs)
{
    CURL *easy = transfer.easy;
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    // Worker threads: no SIGALRM for name look-up time-outs.
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // Do not wait for a stuck name look-up when the fetch ends early (abort, time-out).
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headers);
    // HTTP/2 would lower-case the header names and drop CONNECTION.
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    // Page lists come from anywhere: never read local files or speak other protocols.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (timeOutMs > 0) {
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(timeOutMs));
    }
    // A proxy's answer to CONNECT is not a response to our request.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeaderLine);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &progress);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &progress);

    const QByteArray bundle = tls::caBundleFile().toLocal8Bit();
    if (tls::sharedStoreEnabled() && tls::sharedStoreSupported() &&
        curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, onSslContext) == CURLE_OK) {
        // Nothing for curl to load: the context verifies against the certificates parsed once.
        curl_easy_setopt(easy, CURLOPT_CAINFO, nullptr);
        curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    } else if (!bundle.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, bundle.constData());
    }
}

} // namespace

QList<QByteArray> requestHeaderLines()
{
    return {
        QByteArrayLiteral("Accept-Charset: utf-8"),
        QByteArrayLiteral(
            "ACCEPT: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"),
        QByteArrayLiteral("ACCEPT_ENCODING: gzip, deflate"),
        QByteArray("REFERER: ") + kReferer,
        QByteArrayLiteral("CONNECTION: keep-alive"),
    };
}

void initializeFetcher()
{
    std::call_once(g_initOnce, [] {
        tuneAllocatorForPages();
        curl_global_init(CURL_GLOBAL_DEFAULT);
    });
}

QString curlVersionText()
{
    return QString::fromLatin1(curl_version());
}

void abortAllDownloads()
{
    g_aborted.store(true);
    std::lock_guard lock(g_runningMutex);
    for (CURLM *multi : g_running) {
        curl_multi_wakeup(multi);
    }
}

void resetDownloadAbort()
{
    g_aborted.store(false);
}

QString Download_Page(const QString &URL, QByteArray &Page, int TimeOutMs)
{
    return Download_Page(URL, Page, TimeOutMs, nullptr);
}

QString Download_Page(const QString &URL, QByteArray &Page, int TimeOutMs,
                      QByteArrayList *RobotsTags)
{
    Page.clear();
    if (RobotsTags != nullptr) {
        RobotsTags->clear();
    }
    initializeFetcher();
    if (g_aborted.load()) {
        fail(Page, kCannotOpenUrl);
    }

    Transfer transfer;
    if (transfer.easy == nullptr || transfer.multi == nullptr) {
        fail(Page, kUnableToInitialize);
    }
    for (const QByteArray &line : requestHeaderLines()) {
        curl_slist *appended = curl_slist_append(transfer.headers, line.constData());
        if (appended == nullptr) {
            fail(Page, kUnableToInitialize);
        }
        transfer.headers = appended;
    }

    const QByteArray url = URL.toUtf8();
    if (!hasScheme(url)) {
        fail(Page, kCannotOpenUrl);
    }
    Progress progress;
    progress.page = &Page;
    progress.robotsTags = RobotsTags;
    configure(transfer, url, progress, TimeOutMs);

    CURLcode result = CURLE_OK;
    bool done = false;
    {
        RunningRegistration registration(transfer.multi);
        // Checked after registering: an abort from now on wakes this transfer.
        if (g_aborted.load()) {
            fail(Page, kCannotOpenUrl);
        }
        if (curl_multi_add_handle(transfer.multi, transfer.easy) != CURLM_OK) {
            fail(Page, kUnableToInitialize);
        }
        transfer.added = true;
        while (!g_aborted.load()) {
            int running = 0;
            if (curl_multi_perform(transfer.multi, &running) != CURLM_OK) {
                break;
            }
            int queued = 0;
            while (CURLMsg *message = curl_multi_info_read(transfer.multi, &queued)) {
                if (message->msg == CURLMSG_DONE) {
                    result = message->data.result;
                    done = true;
                }
            }
            if (done || running == 0) {
                break;
            }
            // Returns early when curl's own time-out is due or abortAllDownloads wakes us.
            if (curl_multi_poll(transfer.multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
                break;
            }
        }
    }

    if (progress.error) {
        Page.clear();
        std::rethrow_exception(progress.error);
    }
    if (!done || (result != CURLE_OK && g_aborted.load())) {
        // Aborted, or curl gave up without a result: nobody waits for this page any more.
        fail(Page, kCannotOpenUrl);
    }
    if (result == CURLE_OK) {
        long code = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &code);
        if (code >= 200 && code <= 299) {
            return QString();
        }
        return QStringLiteral("HTTP ") + QString::number(code);
    }
    if (result == CURLE_OPERATION_TIMEDOUT) {
        return QLatin1String(kTimedOut);
    }
    if (progress.tooLarge) {
        return QLatin1String(kPageTooLarge);
    }
    if (progress.responseArrived) {
        return QLatin1String(kDownloadIncomplete);
    }
    fail(Page, kCannotOpenUrl);
}

} // namespace orvane
