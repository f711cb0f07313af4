#include "engine/check_worker.h"

#include "engine/legacy_codepage.h"
#include "engine/page_budget.h"
#include "engine/page_check.h"
#include "engine/page_fetcher.h"
#include "engine/robots_cache.h"
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
        // The page's share of the memory budget, which the fetch charges; kept until it is
        // searched.
        PageBudget::Lease pageMemory;
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
            if (!pageMemory.holdAtLeast(fetched.body.size() * PageBudget::kCostPerBodyByte,
                                        PageBudget::Use::Decoding)) {
                throw DownloadError(kCannotOpenUrl); // closing
            }
            pageText = pageTextFromBytes(std::move(fetched.body), legacyCodePage(), legacySize);
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
        if (examined) {
            CheckReport found;
            examinePage(pageText, fetched, fURL, fCauta, fCauta_dupa_html, disallowed, found);
            fGasit = found.found;
            fReturnare_URL = std::move(found.link);
            fReturnare_Ancora = std::move(found.anchor);
            fLinkType = std::move(found.linkType);
            fRobots = std::move(found.robots);
            fRedirectedTo = std::move(found.redirectedTo);
            fCanonical = std::move(found.canonical);
            fVerdict = found.verdict;
            fVerdictNote = std::move(found.verdictNote);
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
        fVerdict = Verdict::Unverified;
        fVerdictNote.clear();
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
                                  fLinkType, fRobots, fBotWall, fRedirectedTo, fCanonical, fVerdict,
                                  fVerdictNote});
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
