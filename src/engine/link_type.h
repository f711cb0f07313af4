#pragma once

#include <QString>
#include <QStringView>

namespace orvane {

// Where the link that a search shows (its last qualifying match) stands in the page.
struct ShownLink
{
    enum Kind { None, Anchor, BareAddress };
    Kind kind = None;
    // For an anchor element: the href value's place in the page.
    qsizetype hrefStart = -1;
    qsizetype hrefEnd = -1;
};

inline constexpr char kDofollow[] = "dofollow";
inline constexpr char kTextLink[] = "text";

// What the shown link passes on: "dofollow" for an anchor whose tag (from the last "<" before the
// href value to the first ">" after it) has no rel token nofollow, sponsored or ugc, otherwise the
// tokens it has, in that order ("nofollow ugc"); "text" for a bare address; empty for none.
QString linkTypeText(QStringView page, const ShownLink &shown);

// The rel tokens of one tag's text, as linkTypeText words them.
QString relLinkType(QStringView tag);

} // namespace orvane
