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

TMyThread::TMyThread(QString URL, QString Cauta, std::unique_ptr<CheckReceiver> Receiver,
                     bool ContentMode, WorkerEnvironment Environment)
    : fURL(std::move(URL)), fCauta(std::move(Cauta)), fCauta_dupa_html(ContentMode),
      fReceiver(std::move(Receiver)), fEnvironment(std::move(Environment))
{
    Q_ASSERT(fReceiver);
    fControl.stop = fEnvironment.stop;
    fControl.told = [this](CheckWait what) { tell(what); };
    no_threads.fetch_add(1);
}

TMyThread::~TMyThread()
{
    // The receiver goes first, so that no_threads at 0 means no worker's receiver is left either.
    fReceiver.reset();
    if (fWaiting != CheckWait::None) {
        waiting_workers[int(fWaiting)].fetch_sub(1);
    }
    no_threads.fetch_sub(1);
}

void TMyThread::tell(CheckWait what)
{
    if (what == fWaiting) {
        return;
    }
    if (fWaiting != CheckWait::None) {
        waiting_workers[int(fWaiting)].fetch_sub(1);
    }
    if (what != CheckWait::None) {
        waiting_workers[int(what)].fetch_add(1);
    }
    fWaiting = what;
    // Queued before the report, which waits behind it: the receiver is still there when it runs.
    GuiBridge::post(fEnvironment.bridge,
                    [receiver = fReceiver.get(), what] { receiver->pending(what); });
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
        PageBudget::Lease pageMemory(PageBudget::shared(), &fControl);
        QString errorText;
        FetchedPage fetched;
        QString pageText;
        qsizetype legacySize = 0;
        bool arrived = true;
        bool disallowed = false;
        try {
            // Asked first, as a crawler would; a disallowed page is still checked.
            disallowed = fEnvironment.robots &&
                         !fEnvironment.robots->allows(fURL, *fEnvironment.source,
                                                      fEnvironment.timeOutMs, fControl);
            fetched = fEnvironment.source->fetch(fURL, fEnvironment.timeOutMs, fControl);
            if (!pageMemory.holdAtLeast(fetched.body.size() * PageBudget::kDecodingCostPerBodyByte,
                                        PageBudget::Use::Decoding)) {
                throw DownloadError(kCannotOpenUrl); // closing
            }
            pageText = pageTextFromBytes(std::move(fetched.body), legacyCodePage(), legacySize);
            pageMemory.shrinkTo(pageText.size() * qsizetype{sizeof(QChar)});
        } catch (const DownloadError &error) {
            errorText = QString::fromUtf8(error.what());
            pageText.clear();
            legacySize = 0;
            arrived = false;
        }
        // A bot check's page is not the page: nothing of it is searched or shown.
        const bool examined = arrived && !fetched.botWall;
        if (examined) {
            examinePage(pageText, fetched, fURL, fCauta, fCauta_dupa_html, disallowed, fReport);
            fReport.size = static_cast<int>(legacySize);
        }
        if (fetched.botWall) {
            fReport.status = {CheckStatus::BotWall};
        } else if (!errorText.isEmpty()) {
            fReport.status = CheckStatus::fromFetcher(errorText);
        } else {
            fReport.status = CheckStatus::fromFetcher(fetched.note);
        }
    } catch (...) {
        // Whatever went wrong, the row must not stay pending: report it as not found, naming why.
        fReport = CheckReport();
        try {
            throw;
        } catch (const std::bad_alloc &) {
            fReport.status = {CheckStatus::OutOfMemory};
        } catch (...) {
            fReport.status = {CheckStatus::CheckFailed};
        }
    }
}

void TMyThread::Show_Result()
{
    fReceiver->report(fReport);
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
