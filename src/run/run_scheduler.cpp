#include "run/run_scheduler.h"

#include "engine/robots_cache.h"
#include "engine/worker_counters.h"
#include "run/row_report.h"
#include "run/run_counters.h"

#include <QScopeGuard>

namespace orvane {

const char kRunCompleted[] =
    "The search process was completed\r\nYou can now copy the results by right clicking on the "
    "results area and click on \"Copy Selected URLs to Clipboard\"\r\nand then paste it to your "
    "favorite text editor (Microsoft Excel, OpenOffiice Calc, notepad etc.)";

RunScheduler::RunScheduler(QTimer &timer, Inputs inputs, Services services)
    : m_timer(timer), m_inputs(std::move(inputs)), m_services(std::move(services))
{
    m_timer.setInterval(kTickMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    // The timer is the context: no tick can reach a scheduler whose timer is gone.
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { StartTTimerTimer(); });
}

void RunScheduler::spSkinSpeedButton1Click()
{
    if (m_timer.isActive()) {
        Stop();
    } else {
        Start();
    }
}

void RunScheduler::Start()
{
    const int lineCount = m_inputs.pages->lineCount();
    QString message;
    if (lineCount == 0 || m_inputs.pagesText() == QLatin1String(kPagesPlaceholder)) {
        message = QLatin1String(kUrlListEmpty);
    } else if (const QString target = m_inputs.target();
               target == QLatin1String(kLinksPlaceholder)) {
        message = QLatin1String(kEnterWebsite);
    } else if (target == QLatin1String(kContentPlaceholder)) {
        message = QLatin1String(kEnterContent);
    }
    if (!message.isEmpty()) {
        m_services.messages->information(message);
        return;
    }

    m_services.results->clear();
    // Each run reads every site's robots.txt afresh.
    m_services.workers.robots = std::make_shared<RobotsCache>();
    m_services.view->setTotalText(totalPanelText(lineCount));
    found_count = 0;
    not_found_count = 0;
    m_gauge.setValue(0);
    m_gauge.setMaximum(lineCount - 1);
    m_services.view->showGauge(m_gauge);
    line_index = -1;
    m_services.view->setButtonCaption(QStringLiteral("Stop"));
    m_timer.start();
}

void RunScheduler::Stop()
{
    m_timer.stop();
    m_services.view->setButtonCaption(QStringLiteral("Start"));
}

void RunScheduler::StartTTimerTimer()
{
    if (Sunt_In_Timer) {
        return; // a nested event loop delivered a tick while one is running
    }
    Sunt_In_Timer = true;
    const auto cleared = qScopeGuard([this] { Sunt_In_Timer = false; }); // on every way out
    tickBody();
}

void RunScheduler::tickBody()
{
    RunView &view = *m_services.view;
    view.setThreadsText(threadsPanelText(no_threads.load(), max_no_threads));
    const int lineCount = m_inputs.pages->lineCount();
    view.setTotalText(progressPanelText(line_index + 1, lineCount));
    if (no_threads.load() >= max_no_threads) {
        return;
    }
    m_gauge.setValue(line_index - no_threads.load());
    view.showGauge(m_gauge);
    updateSharePanels();

    if (line_index < lineCount - 1) {
        ++line_index;
        const QString address = trimmedText(m_inputs.pages->line(line_index));
        if (!address.isEmpty()) {
            Creaza_download(address);
        }
    } else if (no_threads.load() == 0) {
        // Every line is taken, or the list was shortened below the lines already taken.
        Stop();
        m_services.messages->information(QString::fromLatin1(kRunCompleted));
    }
}

void RunScheduler::updateSharePanels()
{
    if (const auto found = foundPanelText(found_count, not_found_count, m_services.locale)) {
        m_services.view->setFoundText(*found);
    }
    if (const auto notFound = notFoundPanelText(found_count, not_found_count, m_services.locale)) {
        m_services.view->setNotFoundText(*notFound);
    }
}

void RunScheduler::Creaza_download(const QString &URL)
{
    ResultsModel &results = *m_services.results;
    results.setLocale(m_services.locale);
    const ResultRowRef row = results.appendRow(URL, m_services.clock());
    auto worker =
        std::make_unique<TMyThread>(URL, m_inputs.target(), std::make_unique<RowReport>(row),
                                    m_inputs.contentMode(), m_services.workers);
    if (m_services.startWorker(std::move(worker))) {
        return;
    }
    // The platform refused a thread: the row must not stay pending, and the run goes on.
    CheckReport refused;
    refused.status = {CheckStatus::CannotStartWorker};
    RowReport(row).report(refused);
}

} // namespace orvane
