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
    m_state->counted = [this] { showLateCount(); };
}

RunScheduler::~RunScheduler()
{
    m_state->counted = nullptr; // reports may outlive the scheduler; its panels are gone
    m_stop.request_stop();
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
    beginRun();
    m_againTotal = -1;
    m_services.view->setTotalText(totalPanelText(lineCount));
    m_state->found_count = 0;
    m_state->not_found_count = 0;
    m_state->blank_lines = 0;
    m_gauge.setValue(0);
    m_gauge.setMaximum(lineCount - 1);
    m_services.view->showGauge(m_gauge);
    m_state->line_index = -1;
    setRunning(true);
}

void RunScheduler::beginRun()
{
    // A stopped run's checks keep their own request: none of them can hold this run up.
    m_stop = std::stop_source();
    // Each run reads every site's robots.txt afresh.
    m_services.workers.robots = std::make_shared<RobotsCache>();
}

void RunScheduler::setRunning(bool running)
{
    m_services.view->setButtonCaption(running ? QStringLiteral("Stop") : QStringLiteral("Start"));
    if (running) {
        m_timer.start();
    } else {
        m_timer.stop();
    }
    if (m_services.runningChanged) {
        m_services.runningChanged();
    }
}

void RunScheduler::Stop()
{
    m_stop.request_stop();
    setRunning(false);
    // Rows to be checked again that never got a worker end as the stopped checks do.
    std::deque<ResultRowRef> notStarted;
    notStarted.swap(m_again);
    CheckReport stopped;
    stopped.status = {CheckStatus::Stopped};
    for (const ResultRowRef &row : notStarted) {
        RowReport(row, m_state).report(stopped);
    }
}

void RunScheduler::checkAgain(const std::vector<int> &rows)
{
    ResultsModel &results = *m_services.results;
    if (m_timer.isActive()) {
        return;
    }
    std::vector<int> finished;
    for (const int row : rows) {
        if (row >= 0 && row < results.rowCount() && results.rowAt(row).reported) {
            finished.push_back(row);
        }
    }
    if (finished.empty()) {
        return;
    }
    if (const RunInputs::Wanted wanted = m_inputs.wanted(); wanted != RunInputs::Wanted::Nothing) {
        m_services.messages->information(
            QLatin1String(wanted == RunInputs::Wanted::Website ? kEnterWebsite : kEnterContent));
        return;
    }
    std::sort(finished.begin(), finished.end());
    finished.erase(std::unique(finished.begin(), finished.end()), finished.end());

    beginRun();
    results.setLocale(m_services.locale);
    const QDateTime now = m_services.clock();
    for (const int row : finished) {
        results.restart(row, now, CheckWait::ForThread);
        m_again.push_back(results.refAt(row));
    }
    // The counts and the gauge cover the whole list; the rows not checked again are taken.
    m_againTotal = results.rowCount();
    m_state->found_count = 0;
    m_state->not_found_count = 0;
    for (int row = 0; row < results.rowCount(); ++row) {
        const ResultRow &item = results.rowAt(row);
        if (item.reported) {
            ++(item.report.found ? m_state->found_count : m_state->not_found_count);
        }
    }
    m_state->blank_lines = 0;
    m_state->line_index = m_againTotal - int(m_again.size()) - 1;
    m_services.view->setTotalText(totalPanelText(m_againTotal));
    m_gauge.setMaximum(m_againTotal - 1);
    updateGauge();
    setRunning(true);
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
    const int live = no_threads.load();
    view.setThreadsText(threadsPanelText(live, run.max_no_threads));
    view.setThreadsToolTip(threadsPanelToolTip(live,
                                               waiting_workers[int(CheckWait::ForSite)].load(),
                                               waiting_workers[int(CheckWait::ToRetry)].load(),
                                               waiting_workers[int(CheckWait::ForMemory)].load()));
    const bool again = m_againTotal >= 0;
    const PageList &pages = m_inputs.pages();
    const int lineCount = again ? m_againTotal : pages.lineCount();
    view.setTotalText(progressPanelText(run.line_index + 1, lineCount));
    if (no_threads.load() >= run.max_no_threads) {
        return;
    }
    updateGauge();
    updateSharePanels();

    if (run.line_index < lineCount - 1) {
        ++run.line_index;
        if (again) {
            const ResultRowRef row = m_again.front();
            m_again.pop_front();
            if (const int index = row.row(); index >= 0) {
                ResultsModel &results = *m_services.results;
                results.restart(index, m_services.clock(), CheckWait::None);
                dispatch(row, results.rowAt(index).caption);
            }
            return;
        }
        const QString address = trimmedText(pages.line(run.line_index));
        if (!address.isEmpty()) {
            Creaza_download(address);
        } else {
            ++run.blank_lines;
        }
    } else if (no_threads.load() == 0) {
        // Every line is taken, or the list was shortened below the lines already taken.
        Stop();
        m_services.messages->information(QString::fromLatin1(kRunCompleted));
    }
}

void RunScheduler::updateGauge()
{
    const RunState &run = *m_state;
    m_gauge.setValue(run.found_count + run.not_found_count + run.blank_lines - 1);
    m_services.view->showGauge(m_gauge);
}

void RunScheduler::showLateCount()
{
    if (!m_timer.isActive()) {
        updateGauge();
        updateSharePanels();
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
    dispatch(results.appendRow(URL, m_services.clock()), URL);
}

void RunScheduler::dispatch(const ResultRowRef &row, const QString &URL)
{
    WorkerEnvironment environment = m_services.workers;
    environment.timeOutMs = m_state->time_out;
    environment.stop = m_stop.get_token();
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
