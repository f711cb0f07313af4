#include "run/run_scheduler.h"

#include "engine/robots_cache.h"
#include "engine/worker_counters.h"
#include "run/row_report.h"
#include "run/status_texts.h"

#include <QScopeGuard>

namespace orvane {

const char kRunCompleted[] =
    "The search process was completed\r\nYou can now copy the results by right clicking on the "
    "results area and click on \"Copy Selected URLs to Clipboard\"\r\nand then paste it to your "
    "favorite text editor (Microsoft Excel, OpenOffiice Calc, notepad etc.)";

RunScheduler::RunScheduler(QTimer &timer, RunInputs &inputs, Services services)
    : m_timer(timer), m_inputs(inputs), m_services(std::move(services))
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
    const int lineCount = m_inputs.pages().lineCount();
    QString message;
    if (lineCount == 0) {
        message = QLatin1String(kUrlListEmpty);
    } else if (const RunInputs::Wanted wanted = m_inputs.wanted();
               wanted == RunInputs::Wanted::Website) {
        message = QLatin1String(kEnterWebsite);
    } else if (wanted == RunInputs::Wanted::Content) {
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
    m_state->found_count = 0;
    m_state->not_found_count = 0;
    m_gauge.setValue(0);
    m_gauge.setMaximum(lineCount - 1);
    m_services.view->showGauge(m_gauge);
    m_state->line_index = -1;
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
    RunState &run = *m_state;
    view.setThreadsText(threadsPanelText(no_threads.load(), run.max_no_threads));
    const PageList &pages = m_inputs.pages();
    const int lineCount = pages.lineCount();
    view.setTotalText(progressPanelText(run.line_index + 1, lineCount));
    if (no_threads.load() >= run.max_no_threads) {
        return;
    }
    m_gauge.setValue(run.line_index - no_threads.load());
    view.showGauge(m_gauge);
    updateSharePanels();

    if (run.line_index < lineCount - 1) {
        ++run.line_index;
        const QString address = trimmedText(pages.line(run.line_index));
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
    const RunState &run = *m_state;
    if (const auto found =
            foundPanelText(run.found_count, run.not_found_count, m_services.locale)) {
        m_services.view->setFoundText(*found);
    }
    if (const auto notFound =
            notFoundPanelText(run.found_count, run.not_found_count, m_services.locale)) {
        m_services.view->setNotFoundText(*notFound);
    }
}

void RunScheduler::Creaza_download(const QString &URL)
{
    ResultsModel &results = *m_services.results;
    results.setLocale(m_services.locale);
    const ResultRowRef row = results.appendRow(URL, m_services.clock());
    WorkerEnvironment environment = m_services.workers;
    environment.timeOutMs = m_state->time_out;
    auto worker = std::make_unique<TMyThread>(URL, m_inputs.target(),
                                              std::make_unique<RowReport>(row, m_state),
                                              m_inputs.contentMode(), std::move(environment));
    if (m_services.startWorker(std::move(worker))) {
        return;
    }
    // The platform refused a thread: the row must not stay pending, and the run goes on.
    CheckReport refused;
    refused.status = {CheckStatus::CannotStartWorker};
    RowReport(row, m_state).report(refused);
}

} // namespace orvane
