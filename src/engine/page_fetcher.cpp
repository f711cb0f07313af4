#include "engine/page_fetcher.h"

#include "engine/ca_store.h"
#include "engine/memory.h"
#include "engine/page_budget.h"
#include "engine/site_gate.h"
#include "engine/web_address.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <curl/curl.h>
#include <exception>
#include <mutex>
#include <string>
#include <unordered_set>

namespace orvane {

namespace {

using Clock = std::chrono::steady_clock;

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
    CURL *easy = nullptr;
    QByteArray *page = nullptr;
    PageBudget::Lease *lease = nullptr;
    // The body length the response announced (at most kMaxPageBytes), once its body began.
    qsizetype announced = 0;
    bool bodyBegan = false;
    // How long the fetch waited for memory: not part of its time-out.
    Clock::duration waited{};
    QByteArrayList *robotsTags = nullptr;
    QByteArrayList *links = nullptr;
    int status = 0;
    bool location = false;
    QByteArray retryAfter;
    bool challenge = false;
    // The headers of a response that curl does not follow have arrived: from here on a failure
    // leaves a partial page, not "no page".
    bool responseArrived = false;
    bool tooLarge = false;
    // The check was stopped while its body waited for memory.
    bool stopped = false;
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
        progress.retryAfter.clear();
        progress.challenge = false;
        progress.responseArrived = false;
        progress.announced = 0;
        progress.bodyBegan = false;
        progress.page->clear();
        if (progress.robotsTags != nullptr) {
            progress.robotsTags->clear();
        }
        if (progress.links != nullptr) {
            progress.links->clear();
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
    } else if (startsWithNoCase(data, length, "Retry-After:")) {
        constexpr size_t name = sizeof("Retry-After:") - 1;
        progress.retryAfter = QByteArray(data + name, qsizetype(length - name)).trimmed();
    } else if (startsWithNoCase(data, length, "cf-mitigated:")) {
        constexpr size_t name = sizeof("cf-mitigated:") - 1;
        progress.challenge = QByteArray(data + name, qsizetype(length - name))
                                 .trimmed()
                                 .compare("challenge", Qt::CaseInsensitive) == 0;
    } else if (startsWithNoCase(data, length, "Link:")) {
        constexpr size_t name = sizeof("Link:") - 1;
        if (progress.links != nullptr && progress.links->size() < kMaxRobotsTags) {
            progress.links->append(QByteArray(data + name, qsizetype(length - name)).trimmed());
        }
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

// Unannounced bodies are charged in steps, not for every piece curl hands over.
constexpr qsizetype kChargeStep = qsizetype{256} * 1024;

// Holds budget for a body of `bodyBytes` before it grows to that; false when the budget aborted.
bool chargeBody(Progress &progress, qsizetype bodyBytes)
{
    if (bodyBytes <= progress.lease->bytes()) {
        return true;
    }
    // An announced length is held at once: a page is let in only when all of it fits, so pages
    // let in never stall each other half-way, each waiting for bytes the others hold.
    qsizetype target = std::max(bodyBytes, progress.announced);
    if (target > progress.announced) {
        target = std::min((target + kChargeStep - 1) / kChargeStep * kChargeStep, kMaxPageBytes);
    }
    const std::optional<Clock::duration> waited = progress.lease->holdAtLeast(target);
    if (!waited) {
        return false;
    }
    progress.waited += *waited;
    return true;
}

// Small bodies grow as the allocator likes: reserving each one's length exactly leaves the heap
// more fragmented after a long run, for no saving worth having.
constexpr qsizetype kReserveFrom = qsizetype{1024} * 1024;

size_t onBody(char *data, size_t size, size_t count, void *user)
{
    auto &progress = *static_cast<Progress *>(user);
    const size_t length = size * count;
    if (g_aborted.load(std::memory_order_relaxed)) {
        return 0;
    }
    try {
        if (!progress.bodyBegan) {
            progress.bodyBegan = true;
            curl_off_t announced = -1;
            if (curl_easy_getinfo(progress.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) ==
                    CURLE_OK &&
                announced > 0) {
                progress.announced = static_cast<qsizetype>(
                    std::min<curl_off_t>(announced, curl_off_t{kMaxPageBytes}));
            }
        }
        const qsizetype room = kMaxPageBytes - progress.page->size();
        const qsizetype kept = std::min(static_cast<qsizetype>(length), room);
        if (!chargeBody(progress, progress.page->size() + kept)) {
            // Closing (the abort decides what the fetch says), or the check was stopped.
            progress.stopped = !g_aborted.load();
            return 0;
        }
        if (progress.page->isEmpty() && progress.announced >= kReserveFrom) {
            // No doubling past what a heavy page said it weighs.
            progress.page->reserve(progress.announced);
        }
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

void configure(Transfer &transfer, Progress &progress)
{
    CURL *easy = transfer.easy;
    // Worker threads: no SIGALRM for name look-up time-outs.
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // Do not wait for a stuck name look-up when the fetch ends early (abort, time-out).
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headers);
    // HTTP/2 would lower-case the header names and drop CONNECTION.
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    // Redirects are followed here, one transfer each, so that each waits for its own site's slot.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    // A transfer's connection is closed before its slot is given back: a site never sees more
    // connections from us than the slots it has.
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    // Page lists come from anywhere: never read local files or speak other protocols.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
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

// Runs the transfer to its end (or the abort); false when curl gave up without a result. Past
// `deadline`, moved on by the time the transfer waited for memory, it ends as timed out.
bool perform(Transfer &transfer, CURLcode &result, const Progress &progress,
             std::optional<Clock::time_point> deadline)
{
    const Clock::duration waitedBefore = progress.waited;
    if (curl_multi_add_handle(transfer.multi, transfer.easy) != CURLM_OK) {
        return false;
    }
    transfer.added = true;
    bool done = false;
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
        int pollMs = 1000;
        if (deadline) {
            const Clock::time_point due = *deadline + (progress.waited - waitedBefore);
            const Clock::time_point now = Clock::now();
            if (now >= due) {
                result = CURLE_OPERATION_TIMEDOUT;
                done = true;
                break;
            }
            pollMs = static_cast<int>(std::min<std::chrono::milliseconds::rep>(
                pollMs, std::chrono::ceil<std::chrono::milliseconds>(due - now).count()));
        }
        // Returns early when curl's own timers are due or abortAllDownloads wakes us.
        if (curl_multi_poll(transfer.multi, nullptr, 0, pollMs, nullptr) != CURLM_OK) {
            break;
        }
    }
    curl_multi_remove_handle(transfer.multi, transfer.easy);
    transfer.added = false;
    return done;
}

// Where the finished transfer's answer sends us next, or nothing when it is the page.
QByteArray redirectTarget(CURL *easy, const Progress &progress)
{
    if (progress.status < 300 || progress.status > 399) {
        return {};
    }
    char *location = nullptr;
    curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location);
    return location != nullptr ? QByteArray(location) : QByteArray();
}

FetchOutcome failure(QByteArray &page, const char *message, bool connectionBroke = false)
{
    page.clear();
    FetchOutcome outcome;
    outcome.note = QLatin1String(message);
    outcome.failed = true;
    outcome.connectionBroke = connectionBroke;
    return outcome;
}

bool isBrokenConnection(CURLcode result)
{
    return result == CURLE_RECV_ERROR || result == CURLE_SEND_ERROR || result == CURLE_GOT_NOTHING;
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
    SiteGate::shared().abort();
    PageBudget::shared().abort();
    std::lock_guard lock(g_runningMutex);
    for (CURLM *multi : g_running) {
        curl_multi_wakeup(multi);
    }
}

void resetDownloadAbort()
{
    g_aborted.store(false);
    SiteGate::shared().resetAbort();
    PageBudget::shared().resetAbort();
}

std::optional<std::chrono::milliseconds> retryAfterDelay(QByteArrayView value,
                                                         std::chrono::system_clock::time_point now)
{
    const QByteArray text = value.trimmed().toByteArray();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    bool digits = true;
    for (const char c : text) {
        digits = digits && c >= '0' && c <= '9';
    }
    if (digits) {
        // More digits than a wait worth reading are a wait too long to honour.
        return text.size() > 9 ? std::chrono::milliseconds::max()
                               : std::chrono::milliseconds(text.toLongLong() * 1000);
    }
    const time_t date = curl_getdate(text.constData(), nullptr);
    if (date == -1) {
        return std::nullopt;
    }
    const auto wait = std::chrono::system_clock::from_time_t(date) - now;
    return std::max(std::chrono::ceil<std::chrono::milliseconds>(wait),
                    std::chrono::milliseconds(0));
}

FetchOutcome fetchOnce(const QString &URL, QByteArray &Page, int TimeOutMs)
{
    return fetchOnce(URL, Page, TimeOutMs, CheckControl());
}

FetchOutcome fetchOnce(const QString &URL, QByteArray &Page, int TimeOutMs,
                       const CheckControl &control)
{
    Page.clear();
    initializeFetcher();
    if (g_aborted.load()) {
        return failure(Page, kCannotOpenUrl);
    }

    Transfer transfer;
    if (transfer.easy == nullptr || transfer.multi == nullptr) {
        return failure(Page, kUnableToInitialize);
    }
    for (const QByteArray &line : requestHeaderLines()) {
        curl_slist *appended = curl_slist_append(transfer.headers, line.constData());
        if (appended == nullptr) {
            return failure(Page, kUnableToInitialize);
        }
        transfer.headers = appended;
    }

    QByteArray url = URL.toUtf8();
    if (!hasScheme(url)) {
        return failure(Page, kCannotOpenUrl);
    }
    // The worker's lease, which keeps the page's bytes until it is searched; else one of our own.
    std::optional<PageBudget::Lease> ownLease;
    PageBudget::Lease *lease = PageBudget::Lease::current();
    if (lease == nullptr) {
        lease = &ownLease.emplace();
    }
    lease->release(); // nothing held while waiting at the gate
    FetchOutcome outcome;
    Progress progress;
    progress.easy = transfer.easy;
    progress.lease = lease;
    progress.page = &Page;
    progress.robotsTags = &outcome.robotsTags;
    progress.links = &outcome.links;
    configure(transfer, progress);

    std::chrono::milliseconds left(TimeOutMs);
    CURLcode result = CURLE_OK;
    bool done = false;
    SiteGate &gate = SiteGate::shared();
    SiteGate::Slot slot;
    QByteArray site;
    {
        RunningRegistration registration(transfer.multi);
        for (int redirects = 0;; ++redirects) {
            site = siteOf(url);
            if (!slot || slot.site() != site) {
                slot = {}; // never hold one site's slot while waiting for another's
                slot = gate.tryEnter(site);
                if (!slot) {
                    control.tell(control.atGate);
                    slot = gate.enter(site, control.stop);
                }
            }
            // No transfer begins after Stop; one under way goes on.
            if (control.stopped()) {
                return failure(Page, kStopped);
            }
            // Checked after registering: an abort from now on wakes this transfer.
            if (!slot || g_aborted.load()) {
                return failure(Page, kCannotOpenUrl);
            }
            control.tell(CheckWait::None);
            curl_easy_setopt(transfer.easy, CURLOPT_URL, url.constData());
            if (TimeOutMs > 0 && left.count() <= 0) {
                Page.clear(); // a redirect's body is not the page
                return {QLatin1String(kTimedOut)};
            }
            const auto started = Clock::now();
            const Clock::duration waitedBefore = progress.waited;
            result = CURLE_OK;
            // Kept here rather than by curl, which cannot leave out the waits for memory.
            done = perform(transfer, result, progress,
                           TimeOutMs > 0 ? std::optional(started + left) : std::nullopt);
            left -= std::chrono::duration_cast<std::chrono::milliseconds>(
                Clock::now() - started - (progress.waited - waitedBefore));
            if (!done || result != CURLE_OK) {
                break;
            }
            QByteArray next = redirectTarget(transfer.easy, progress);
            if (next.isEmpty()) {
                break;
            }
            if (redirects == kMaxRedirects) {
                return failure(Page, kCannotOpenUrl);
            }
            url = std::move(next);
            Page.clear();
            lease->release();
        }
    }

    if (progress.error) {
        Page.clear();
        std::rethrow_exception(progress.error);
    }
    if (progress.stopped) {
        return failure(Page, kStopped);
    }
    if (!done || (result != CURLE_OK && g_aborted.load())) {
        // Aborted, or curl gave up without a result: nobody waits for this page any more.
        return failure(Page, kCannotOpenUrl);
    }
    if (result == CURLE_OK) {
        long code = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &code);
        outcome.status = int(code);
    } else if (progress.responseArrived) {
        outcome.status = progress.status;
    }
    if (outcome.status == 429 || outcome.status == 503) {
        outcome.retryAfter = retryAfterDelay(progress.retryAfter, std::chrono::system_clock::now());
        // Held before our slot goes, so that no transfer waiting for it slips in first.
        if (outcome.retryAfter && *outcome.retryAfter <= kLongestRetryAfter) {
            gate.holdBack(site, Clock::now() + *outcome.retryAfter);
        }
    }
    outcome.challenge = progress.challenge;
    outcome.finalUrl = url;
    outcome.connectionBroke = isBrokenConnection(result);
    if (result == CURLE_OK) {
        if (outcome.status < 200 || outcome.status > 299) {
            outcome.note = QStringLiteral("HTTP ") + QString::number(outcome.status);
        }
        return outcome;
    }
    outcome.cutOff = true;
    if (result == CURLE_OPERATION_TIMEDOUT) {
        outcome.note = QLatin1String(kTimedOut);
    } else if (progress.tooLarge) {
        outcome.note = QLatin1String(kPageTooLarge);
    } else if (progress.responseArrived) {
        outcome.note = QLatin1String(kDownloadIncomplete);
    } else {
        return failure(Page, kCannotOpenUrl, outcome.connectionBroke);
    }
    return outcome;
}

QString Download_Page(const QString &URL, QByteArray &Page, int TimeOutMs)
{
    return Download_Page(URL, Page, TimeOutMs, nullptr);
}

QString Download_Page(const QString &URL, QByteArray &Page, int TimeOutMs,
                      QByteArrayList *RobotsTags)
{
    if (RobotsTags != nullptr) {
        RobotsTags->clear();
    }
    FetchOutcome outcome = fetchOnce(URL, Page, TimeOutMs);
    if (outcome.failed) {
        throw DownloadError(outcome.note.toStdString());
    }
    if (RobotsTags != nullptr) {
        *RobotsTags = std::move(outcome.robotsTags);
    }
    return outcome.note;
}

} // namespace orvane
