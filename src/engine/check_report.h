#pragma once

#include "engine/check_control.h"
#include "engine/link_type.h"
#include "engine/verdict.h"

#include <QString>

namespace orvane {

// The status of a row whose check failed in a way the worker had no message for, or whose worker
// never ran.
inline constexpr char kOutOfMemory[] = "Out of memory";
inline constexpr char kCheckFailed[] = "Check failed";
inline constexpr char kCannotStartWorker[] = "Cannot start worker";

// How a check ended, as the Status column words it.
struct CheckStatus
{
    enum Kind {
        Ok,
        Http, // a whole answer outside 2xx: "HTTP <code>"
        TimedOut,
        DownloadIncomplete,
        PageTooLarge,
        UnableToInitialize,
        CannotOpenUrl,
        BotWall, // a bot check answered instead of the page
        OutOfMemory,
        CheckFailed,
        CannotStartWorker, // the platform refused the worker a thread
        Stopped,           // its run's Stop came before its transfer began
        Message,           // any other message of a page source
    };
    static constexpr int kKindCount = Message + 1;

    Kind kind = Ok;
    int httpCode = 0;
    QString message; // Message only, already cut down to what a row shows

    // The fetcher words its notes and failures; this is the one place they become kinds. The text
    // is cut down to what a row shows (Clean_Status) first. Never BotWall: that is a flag of the
    // fetched page.
    static CheckStatus fromFetcher(const QString &text);
    QString text() const;
    // Neither still fine ("OK") nor without a word to show.
    bool failed() const;
};

// Keeps only space, '#', '/', digits and ASCII letters of a status text.
QString Clean_Status(const QString &text);

// What one check found, handed from the worker to whoever shows it.
struct CheckReport
{
    bool found = false;
    QString link;   // the link (or the fragment's place) that matched: Url Found
    QString anchor; // its anchor text
    CheckStatus status;
    int size = 0;      // the page's size in the legacy code page
    LinkType linkType; // of the link shown; not found in content mode
    int robots = 0;    // RobotsRule flags
    // Where the page sent us: the address its redirects ended at, or "refresh: " and the address
    // of its meta refresh. Empty when it stayed.
    QString redirectedTo;
    // The other page it names as canonical (robots then says "canonicalised"); empty otherwise.
    QString canonical;
    Verdict verdict = Verdict::Unverified;
    // Names the link the verdict was judged by when that is not the link shown.
    QString verdictNote;
};

// Where a worker's report goes. Called once per worker, on the GUI thread, while the worker waits;
// never called when the program shuts down first. Destroyed with the worker, on its thread.
class CheckReceiver
{
public:
    virtual ~CheckReceiver() = default;
    virtual void report(const CheckReport &result) = 0;
    // What the check now waits for (None: its transfer runs). On the GUI thread, always before the
    // report, and dropped with it when the program shuts down.
    virtual void pending(CheckWait /*what*/) {}
};

} // namespace orvane
