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
#include <functional>
#include <memory>

namespace orvane {

// What the scheduler shows: the Start/Stop button and the status bar.
class RunView
{
public:
    virtual ~RunView() = default;
    virtual void setButtonCaption(const QString &caption) = 0;
    virtual void setTotalText(const QString &text) = 0;
    virtual void setThreadsText(const QString &text) = 0;
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
// line is taken and no worker is alive.
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
    };

    // `timer` is the dispatch timer (StartTTimer); the scheduler connects its ticks and owns its
    // enabled state, which is the run state.
    RunScheduler(QTimer &timer, RunInputs &inputs, Services services);

    void spSkinSpeedButton1Click();
    void Start();
    void Stop();
    void StartTTimerTimer();
    void Creaza_download(const QString &URL);

    bool isRunning() const { return m_timer.isActive(); }
    // The current run's counts and the choices it runs with.
    RunState &state() { return *m_state; }

    const GaugeValue &gauge() const { return m_gauge; }
    // What the scheduler works with (tests adjust the clock, the locale or the worker start).
    Services &services() { return m_services; }

private:
    void tickBody();
    void updateSharePanels();

    QTimer &m_timer;
    RunInputs &m_inputs;
    // Shared with the reports of its workers, which count into it.
    std::shared_ptr<RunState> m_state = std::make_shared<RunState>();
    Services m_services;
    GaugeValue m_gauge;
    bool Sunt_In_Timer = false;
};

inline constexpr char kUrlListEmpty[] = "Url list is empty";
inline constexpr char kEnterWebsite[] = "Please Enter Your Website URL";
inline constexpr char kEnterContent[] = "Please Enter Your Content";
extern const char kRunCompleted[];

} // namespace orvane
