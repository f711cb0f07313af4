#pragma once

#include <QString>
#include <QStringList>

namespace orvane {

// One word for "does my link still count" (pending rows have none).
enum class Verdict { None, Unverified, Lost, Weak, Live };

// How far the page was read, as the row's Status tells it.
enum class PageReading {
    Whole,     // "OK"
    Gone,      // HTTP 404 or 410: the page is not there any more
    HttpError, // any other HTTP status outside 2xx, with its body
    CutOff,    // a 2xx answer cut short: timed out, too large, incomplete
    NotRead,   // no answer, a bot check, a check that failed
};

struct VerdictFacts
{
    PageReading reading = PageReading::NotRead;
    // The search went through all of what arrived.
    bool searchedInFull = true;
    bool found = false;
    bool contentMode = false;
    // In link mode: the best of the links found is followed and visible.
    bool linkPasses = false;
    int robots = 0; // RobotsRule flags
};

// Unverified when nothing was found in a page not read or searched in full; Lost when the page is
// gone or was read in full without the link; Weak when what was found passes nothing (a link that
// is not followed or not visible, a page that is not to be indexed, followed or fetched, or names
// another as canonical, an HTTP error page); Live otherwise. In content mode the fragment is not a
// link, so only noindex, disallowed and canonicalised make it Weak.
Verdict judge(const VerdictFacts &facts);

// The column's word: "Live", "Weak", "Lost", "Unverified"; empty for None.
QString verdictText(Verdict verdict);
// Every word but the empty one.
QStringList verdictTexts();

} // namespace orvane
