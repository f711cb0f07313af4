#include "engine/check_worker.h"

#include "engine/html_text.h"
#include "engine/legacy_codepage.h"
#include "engine/link_finder.h"
#include "engine/page_addresses.h"
#include "engine/page_fetcher.h"
#include "engine/robots_cache.h"
#include "engine/robots_rules.h"
#include "engine/worker_counters.h"

#include <QThread>
#include <new>
#include <system_error>
#include <thread>

namespace orvane {

QString Clean_Status(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar unit : text) {
        const char16_t c = unit.unicode();
        if (c == u' ' || c == u'#' || (c >= u'/' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
            (c >= u'a' && c <= u'z')) {
            result.append(unit);
        }
    }
    return result;
}

TMyThread::TMyThread(QString URL, QString Cauta, std::unique_ptr<CheckReceiver> Receiver,
                     bool ContentMode, WorkerEnvironment Environment)
    : fURL(std::move(URL)), fCauta(std::move(Cauta)), fCauta_dupa_html(ContentMode),
      fReceiver(std::move(Receiver)), fTimeOut(time_out.load()),
      fEnvironment(std::move(Environment))
{
    Q_ASSERT(fReceiver);
    no_threads.fetch_add(1);
}

TMyThread::~TMyThread()
{
    // The receiver goes first, so that no_threads at 0 means no worker's receiver is left either.
    fReceiver.reset();
    no_threads.fetch_sub(1);
}

bool TMyThread::Start(std::unique_ptr<TMyThread> worker)
{
    try {
        // Should the thread not start, its closure and the worker in it are destroyed here.
        std::thread([owned = std::move(worker)]() mutable {
            owned->Execute();
            GuiBridge::synchronize(owned->fEnvironment.bridge, [&owned] { owned->Show_Result(); });
            owned.reset(); // the worker ends with its thread, after its report
        }).detach();
        return true;
    } catch (const std::system_error &) {
        return false;
    }
}

void TMyThread::Execute()
{
    try {
        QString errorText;
        FetchedPage fetched;
        QString pageText;
        qsizetype legacySize = 0;
        bool arrived = true;
        // Asked first, as a crawler would; a disallowed page is still checked.
        const bool disallowed = fEnvironment.robots &&
                                !fEnvironment.robots->allows(fURL, *fEnvironment.source, fTimeOut);
        try {
            fetched = fEnvironment.source->fetch(fURL, fTimeOut);
            pageText = pageTextFromBytes(fetched.body, legacyCodePage(), legacySize);
        } catch (const DownloadError &error) {
            errorText = QString::fromUtf8(error.what());
            pageText.clear();
            legacySize = 0;
            arrived = false;
        }
        fBotWall = fetched.botWall;
        // A bot check's page is not the page: nothing of it is searched or shown.
        const bool examined = arrived && !fBotWall;
        fSize = examined ? static_cast<int>(legacySize) : 0;
        ShownLink shown;
        fGasit = examined && Find_Link(pageText, fCauta, fReturnare_URL, fReturnare_Ancora,
                                       fCauta_dupa_html, shown);
        if (fGasit && !fCauta_dupa_html) {
            // A bare address in an unquoted href is that element's link, with its text.
            fLinkType = linkTypeText(pageText, shown, &fReturnare_Ancora);
        }
        // Matched raw, shown (and copied) as a browser shows them.
        fReturnare_URL = browserText(fReturnare_URL);
        fReturnare_Ancora = browserText(fReturnare_Ancora);
        if (examined) {
            const QString answered = fetched.finalUrl.isEmpty() ? fURL : fetched.finalUrl;
            const PageAddresses addresses = pageAddresses(pageText, fetched.links, answered);
            if (!isSamePage(answered, fURL)) {
                fRedirectedTo = answered;
            }
            if (!addresses.refresh.isEmpty()) {
                fRedirectedTo += (fRedirectedTo.isEmpty() ? QString() : QStringLiteral("; ")) +
                                 QStringLiteral("refresh: ") + addresses.refresh;
            }
            const bool canonicalised =
                !addresses.canonical.isEmpty() && !isSamePage(addresses.canonical, answered);
            if (canonicalised) {
                fCanonical = addresses.canonical;
            }
            fRobots = robotsText(pageRobotsRules(pageText) | headerRobotsRules(fetched.robotsTags) |
                                 (disallowed ? RobotsDisallowed : 0) |
                                 (canonicalised ? RobotsCanonicalised : 0));
        }
        if (!errorText.isEmpty()) {
            fRezultat = errorText;
        } else if (!fetched.note.isEmpty()) {
            fRezultat = fetched.note;
        } else {
            fRezultat = QStringLiteral("OK");
        }
    } catch (...) {
        // Whatever went wrong, the row must not stay pending: report it as not found, naming why.
        fGasit = false;
        fBotWall = false;
        fReturnare_URL.clear();
        fReturnare_Ancora.clear();
        fLinkType.clear();
        fRobots.clear();
        fRedirectedTo.clear();
        fCanonical.clear();
        fSize = 0;
        try {
            throw;
        } catch (const std::bad_alloc &) {
            fRezultat = QLatin1String(kOutOfMemory);
        } catch (...) {
            fRezultat = QLatin1String(kCheckFailed);
        }
    }
}

void TMyThread::Show_Result()
{
    fReceiver->report(CheckReport{fGasit, fReturnare_URL, fReturnare_Ancora, fRezultat, fSize,
                                  fLinkType, fRobots, fBotWall, fRedirectedTo, fCanonical});
}

bool shutdownWorkers(GuiBridge &bridge, std::chrono::milliseconds wait)
{
    abortAllDownloads();
    bridge.shutdown();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (no_threads.load() > 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QThread::msleep(5);
    }
    return true;
}

} // namespace orvane
