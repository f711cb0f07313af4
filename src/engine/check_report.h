#pragma once

#include "engine/verdict.h"

#include <QString>

namespace orvane {

// What one check found, handed from the worker to whoever shows it. Texts are as the check made
// them: the status is the fetcher's message or note ("OK" when there was none), not yet cut down
// to what a row shows.
struct CheckReport
{
    bool found = false;
    QString link;   // the link (or the fragment's place) that matched: Url Found
    QString anchor; // its anchor text
    QString status;
    int size = 0; // the page's size in the legacy code page
    QString linkType;
    QString robots;
    // A bot check answered instead of the page; the status is shown as it stands.
    bool botWall = false;
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
};

} // namespace orvane
