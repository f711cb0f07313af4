#pragma once

#include "engine/link_type.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace orvane {

// An <a ... href='...'>...</a> element, or a bare http(s) address.
inline constexpr char16_t kLinkPattern[] =
    u"<a(?:.*?) "
    u"href[\\s\\t\\n\\r]*=[\\s\\t\\n\\r]*(?:\\\"|')(.*?)(?:\\\"|').*?>(.*?)<\\/a[\\s\\t\\n\\r]*>"
    u"|https?://[-a-zA-Z0-9+&@#/%?=~_|!:,.;]*[-a-zA-Z0-9+&@#/%=~_|]";
// Leading or trailing white space.
inline constexpr char16_t kTrimPattern[] = u"^[\\s\\t\\n]+|[\\s\\t\\n]+$";

// At most this many matches of the link pattern are examined per page.
inline constexpr int kMaxMatchesPerPage = 10000;
// Each search is bounded by the engine's match limit, but a page can make every one of its
// thousands of searches cost nearly that much (openings that each scan the rest of the page for
// " href", with a bare address after each). Once a page has cost the searching thread this much
// CPU time, its search ends with the result so far.
inline constexpr int kSearchCpuBudgetMs = 3000;

// Does Page refer to Target? In link mode the page's links are examined one by one; each link whose
// address contains Target overwrites Link (its address) and, for an anchor element, Anchor (its
// text, tags stripped and trimmed). In content mode Target is searched in the whole page and
// Link/Anchor are left alone. Never throws.
bool Find_Link(const QString &Page, const QString &Target, QString &Link, QString &Anchor,
               bool ContentMode);
// The same search; Shown also learns where the link it returns stands in Page (set by every
// qualifying match, as Link is).
bool Find_Link(const QString &Page, const QString &Target, QString &Link, QString &Anchor,
               bool ContentMode, ShownLink &Shown);

// What a link-mode search saw besides its result.
struct LinkSearchDetail
{
    // Where every qualifying match stands, in page order: the last is the link shown.
    std::vector<ShownLink> qualifying;
    // False when the search ended before the page did: at the bound of matches, when the engine
    // gave up (its match limit), when the page used up the CPU budget, or on a failure. A link
    // not found is then not known to be missing.
    bool complete = true;
};
bool Find_Link(const QString &Page, const QString &Target, QString &Link, QString &Anchor,
               bool ContentMode, LinkSearchDetail &Detail);

// Drops everything from each "<" to the next ">".
void Strip_Tags(QString Text, QString &Result);

// Removes leading and trailing white space (space, tab, LF, FF, CR) from a legacy code page text.
void Trim_Spaces(const QByteArray &Text, QByteArray &Result);

} // namespace orvane
