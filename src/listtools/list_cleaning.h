#pragma once

#include "listtools/page_list.h"

#include <QString>

namespace orvane {

// What a cleaning command did: lines removed and the message that tells the user.
struct CleaningOutcome
{
    int removed = 0;
    QString message;
};

// The five commands of the "Remove URLs" menu. Each reads every line once, decides on the trimmed
// text of its (capped) read, and applies its edits to the list in one go; lines that stay keep
// their text exactly, blanks included. Blank lines are only ever touched by removeEmptyLines.

// Of each group of lines with the same non-empty trimmed text, the topmost survives.
CleaningOutcome removeDuplicateUrls(PageList &list);
// Of the lines with a host, the first of each host survives (hosts compare ignoring case).
CleaningOutcome removeDuplicateDomains(PageList &list);
// Non-blank lines without a host go.
CleaningOutcome removeInvalidUrls(PageList &list);
// Every line with a host becomes protocol + "://" + host.
CleaningOutcome trimToDomain(PageList &list);
// Blank lines go.
CleaningOutcome removeEmptyLines(PageList &list);

// True when a line other than the one at Skip_Position has the same non-empty trimmed text as
// Url_Cautat.
bool cauta_url(const PageList &list, const QString &Url_Cautat, int Skip_Position);

} // namespace orvane
