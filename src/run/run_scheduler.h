#pragma once

#include "engine/check_worker.h"
#include "listtools/page_list.h"
#include "run/desktop_seams.h"
#include "run/gauge_value.h"
#include "run/results_model.h"
#include "run/run_state.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

namespace orvane {

// What the scheduler shows: the Start/Stop button and the status bar.
class RunView
{
public:
    virtual ~RunView() = default;
    virtual void setButtonCaption(const QString &caption) = 0;
    virtual void setTotalText(const QString &text) = 0;
    virtual void setThreadsText(const QString &text) = 0;
    // How the live threads split: at work, and waiting for what.
    virtual void setThreadsToolTip(const QString & /*text*/) {}
    virtual void setFoundText(const QString &text) = 0;
    virtual void setNotFoundText(const QString &text) = 0;
    // The gauge's bounds and value changed.
    virtual void showGauge(const GaugeValue &gauge) = 0;
};

// What a run reads of the window, as the window resolves it: a field that shows only its
// placeholder holds nothing.
class RunInputs
{
public:
    // The target field, when it holds nothing, asks for a site address or for content.
    enum class Wanted { Nothing, Website, Content };

    virtual ~RunInputs() = default;
    // The page list, read line by line; no lines while it shows only its placeholder.
    virtual const PageList &pages() = 0;
    // The site address or the HTML fragment; empty while the field shows only its placeholder.
    virtual QString target() = 0;
    // What the field's placeholder asks for; Nothing while it holds a target (even an empty one).
    virtual Wanted wanted() = 0;
    // The "Content" radio box.
    virtual bool contentMode() = 0;
};

// Turns the page list into a run: Start checks the inputs and starts the dispatch timer, every tick
// takes the next line while fewer workers are alive than the limit, and the run ends once every
// line is taken and no worker is alive. Checking rows again runs the same way over those rows, in
// place. Stop ends at once every check of the run whose transfer has not begun.
class RunScheduler
{
public:
    static constexpr int kTickMs = 10;

    struct Services
    {
        ResultsModel *results = nullptr;
        RunView *view = nullptr;
        MessageSink *messages = nullptr;
        WorkerEnvironment workers;
        std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
        QLocale locale = QLocale::system();
        // Starts a worker's thread, which then owns it; false when the platform refuses one.
        std::function<bool(std::unique_ptr<TMyThread>)> startWorker =
            [](std::unique_ptr<TMyThread> worker) { return TMyThread::Start(std::move(worker)); };
        // Told when a run (or a check again) starts or ends.
        std::function<void()> runningChanged;
    };

    // `timer` is the dispatch timer (StartTTimer); the scheduler connects its ticks and owns its
    // enabled state, which is the run state.
    RunScheduler(QTimer &timer, RunInputs &inputs, Services services);
    // Stops the run: the window is closing.
    ~RunScheduler();
    RunScheduler(const RunScheduler &) = delete;
    RunScheduler &operator=(const RunScheduler &) = delete;

    void spSkinSpeedButton1Click();
    void Start();
    void Stop();
    void StartTTimerTimer();
    void Creaza_download(const QString &URL);
    // Checks the finished ones of these rows again where they stand, in list order, with the
    // current settings; every other row keeps its cells and the counts cover the whole list.
    // Nothing while a run is under way or none of them is finished.
    void checkAgain(const std::vector<int> &rows);

    bool isRunning() const { return m_timer.isActive(); }
    // The current run's counts and the choices it runs with.
    RunState &state() { return *m_state; }

    const GaugeValue &gauge() const { return m_gauge; }
    // What the scheduler works with (tests adjust the clock, the locale or the worker start).
    Services &services() { return m_services; }

private:
    void tickBody();
    void updateSharePanels();
    // The gauge at the rows done so far (and blank lines taken).
    void updateGauge();
    // Shows the counts of reports that arrive while no tick runs, such as after Stop.
    void showLateCount();
    // A new stop request and robots.txt cache: what one run's checks share.
    void beginRun();
    void setRunning(bool running);
    void dispatch(const ResultRowRef &row, const QString &URL);

    QTimer &m_timer;
    RunInputs &m_inputs;
    // Shared with the reports of its workers, which count into it.
    std::shared_ptr<RunState> m_state = std::make_shared<RunState>();
    Services m_services;
    GaugeValue m_gauge;
    bool Sunt_In_Timer = false;
    // The current run's stop request, which every one of its checks waits on.
    std::stop_source m_stop;
    // While rows are checked again: those not yet dispatched, and the list's length.
    std::deque<ResultRowRef> m_again;
    int m_againTotal = -1; // -1: a run over the page list
};

inline constexpr char kUrlListEmpty[] = "Url list is empty";
inline constexpr char kEnterWebsite[] = "Please Enter Your Website URL";
inline constexpr char kEnterContent[] = "Please Enter Your Content";
extern const char kRunCompleted[];

} // namespace orvane
