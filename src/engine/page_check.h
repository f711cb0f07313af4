#pragma once

#include "engine/check_report.h"
#include "engine/polite_fetch.h"
#include "engine/verdict.h"

#include <QString>

namespace orvane {

// What the search makes of a page's text: the link shown (the last that qualifies), how it
// stands, and whether the best of all the links found counts.
struct LinkFindings
{
    bool found = false;
    QString link;      // as a browser shows it
    QString anchor;    // likewise
    LinkType linkType; // of the link shown; not found in content mode
    bool searchedInFull = true;
    bool bestPasses = false; // some link found is followed and visible (link mode)
    // When that link is not the one shown, the verdict cell names it.
    QString judgedBy;
};
LinkFindings findLinks(const QString &pageText, const QString &target, bool contentMode);

// How far a fetched page was read.
PageReading readingOf(const FetchedPage &fetched);

// Everything a check reports of a page that arrived (pageText is its body as text; the status,
// size and bot wall are the caller's): the search, the robots rules (with `disallowed` from the
// site's robots.txt), where the page sends its reader, and the verdict.
void examinePage(const QString &pageText, const FetchedPage &fetched, const QString &url,
                 const QString &target, bool contentMode, bool disallowed, CheckReport &report);

} // namespace orvane
