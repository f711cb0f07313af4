#include "engine/check_worker.h"

#include "engine/legacy_codepage.h"
#include "engine/link_finder.h"
#include "engine/page_fetcher.h"
#include "engine/robots_rules.h"
#include "engine/run_counters.h"

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

TMyThread::TMyThread(QString URL, QString Cauta, ResultRowRef Item, bool ContentMode,
                     WorkerEnvironment Environment)
    : fURL(std::move(URL)), fCauta(std::move(Cauta)), fCauta_dupa_html(ContentMode),
      fItem(std::move(Item)), fTimeOut(time_out.load()), fEnvironment(std::move(Environment))
{
    no_threads.fetch_add(1);
}

TMyThread::~TMyThread()
{
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
        QString note;
        QString pageText;
        qsizetype legacySize = 0;
        QByteArrayList robotsTags;
        bool fetched = true;
        try {
            QByteArray page;
            note = fEnvironment.source->fetch(fURL, page, fTimeOut, robotsTags);
            pageText = pageTextFromBytes(page, legacyCodePage(), legacySize);
        } catch (const DownloadError &error) {
            errorText = QString::fromUtf8(error.what());
            pageText.clear();
            legacySize = 0;
            fetched = false;
        }
        fSize = static_cast<int>(legacySize);
        ShownLink shown;
        fGasit =
            Find_Link(pageText, fCauta, fReturnare_URL, fReturnare_Ancora, fCauta_dupa_html, shown);
        if (fGasit && !fCauta_dupa_html) {
            fLinkType = linkTypeText(pageText, shown);
        }
        if (fetched) {
            fRobots = robotsText(pageRobotsRules(pageText) | headerRobotsRules(robotsTags));
        }
        if (!errorText.isEmpty()) {
            fRezultat = errorText;
        } else if (!note.isEmpty()) {
            fRezultat = note;
        } else {
            fRezultat = QStringLiteral("OK");
        }
    } catch (...) {
        // Whatever went wrong, the row must not stay pending: report it as not found, naming why.
        fGasit = false;
        fReturnare_URL.clear();
        fReturnare_Ancora.clear();
        fLinkType.clear();
        fRobots.clear();
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
    ResultsModel *model = fItem.model();
    const int row = fItem.row();
    if (model == nullptr || row < 0) {
        return; // the row was removed (a new run started): nothing to fill, nothing to count
    }
    model->beginRowUpdate(row);
    try {
        model->setSubItem(row, FoundSubItem,
                          fGasit ? QStringLiteral("Found") : QStringLiteral("Not Found"));
        model->setSubItem(row, AnchorTextSubItem, fReturnare_Ancora);
        model->setSubItem(row, UrlFoundSubItem, fReturnare_URL);
        model->setSubItem(row, StatusSubItem, Clean_Status(fRezultat));
        model->setSubItem(row, FileSizeSubItem, QString::number(fSize));
        model->setSubItem(row, LinkTypeSubItem, fLinkType);
        model->setSubItem(row, RobotsSubItem, fRobots);
        if (fGasit) {
            ++found_count;
        } else {
            ++not_found_count;
        }
        model->setImageIndex(row, fGasit ? ImageFound : ImageNotFound);
    } catch (...) {
        // What was set stays set.
    }
    model->endRowUpdate(row);
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
