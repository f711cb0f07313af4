#pragma once

#include "engine/check_report.h"
#include "engine/gui_bridge.h"
#include "engine/page_source.h"

#include <QString>
#include <chrono>
#include <memory>
#include <stop_token>

namespace orvane {

class RobotsCache;

// What a worker needs besides its own page: where pages come from, the way to the GUI thread,
// (when its run reads them) the sites' robots.txt, the time-out of its fetches and its run's stop
// request.
struct WorkerEnvironment
{
    std::shared_ptr<const PageSource> source;
    GuiBridge::Handle bridge;
    std::shared_ptr<RobotsCache> robots;
    int timeOutMs = 30000;
    std::stop_token stop;
};

// Checks one page on a thread of its own and hands what it found to its receiver on the GUI thread.
// Once started its thread owns it: the worker ends with its thread body.
class TMyThread
{
public:
    // GUI thread. Counts the worker in no_threads.
    TMyThread(QString URL, QString Cauta, std::unique_ptr<CheckReceiver> Receiver, bool ContentMode,
              WorkerEnvironment Environment);
    ~TMyThread();
    TMyThread(const TMyThread &) = delete;
    TMyThread &operator=(const TMyThread &) = delete;

    // Starts the worker's thread, which owns the worker from then on and destroys it when its body
    // ends, after the report. False when the platform refuses a thread: the worker is destroyed
    // at once (no_threads drops with it).
    static bool Start(std::unique_ptr<TMyThread> worker);

    // The check itself, on the calling thread (the thread body runs it, then reports).
    void Execute();
    // Reports what Execute found to the receiver. GUI thread, while the worker waits.
    void Show_Result();

private:
    // Worker thread: what the check now waits for goes to the receiver, when it changed.
    void tell(CheckWait what);

    QString fURL;
    QString fCauta;
    bool fCauta_dupa_html = false;
    // What Execute found, handed over as it stands.
    CheckReport fReport;
    std::unique_ptr<CheckReceiver> fReceiver;
    WorkerEnvironment fEnvironment;
    CheckControl fControl;
    CheckWait fWaiting = CheckWait::None; // as last told; the row starts downloading
};

// At program end: aborts every fetch, drops every report still to come and waits up to `wait` for
// the workers to end. True when none is left.
bool shutdownWorkers(GuiBridge &bridge, std::chrono::milliseconds wait);
} // namespace orvane
