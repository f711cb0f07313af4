#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>

namespace orvane {

// Where the link that a search shows (its last qualifying match) stands in the page.
struct ShownLink
{
    enum Kind { None, Anchor, BareAddress };
    Kind kind = None;
    // The href value's place in the page for an anchor element, the address's for a bare address.
    qsizetype hrefStart = -1;
    qsizetype hrefEnd = -1;
};

inline constexpr char kDofollow[] = "dofollow";
inline constexpr char kTextLink[] = "text";

// What the shown link passes on, as the rel words and then at most one standing word.
//
// Rel words: "dofollow" for a tag (from the last "<" before the href value to the first ">" after
// it) without a rel token nofollow, sponsored or ugc, otherwise the tokens it has, in that order
// ("nofollow ugc"); "text" for a bare address. A bare address that stands in the href value of an
// <a> tag (unquoted, say, which the link pattern misses) is that tag's link and has its rel words.
//
// The standing word says where the link stands, as a browser's tokenizer reads the page (with
// scripting on, so <noscript> holds raw text): "commented" inside an HTML comment, "noscript"
// inside <noscript>, "script" inside <script>, <style> or <template>; otherwise "hidden" when the
// link's own tag has the hidden attribute or an inline style of display:none or visibility:hidden
// (the styles of its ancestors are not examined). These places exclude one another, and a link
// that is not in the page's markup at all is not worded hidden as well.
//
// "dofollow" alone means a followed link that stands visibly in the page, so it is dropped when a
// standing word follows: a commented link without rel tokens reads "commented", not "dofollow
// commented"; one with them reads "nofollow commented". Empty when nothing was found.
//
// When the shown link is a bare address in an <a> tag's href and elementAnchor is given, it
// becomes that element's text up to "</a>", tags stripped and trimmed as Find_Link's anchors
// (empty when the element is never closed).
QString linkTypeText(QStringView page, const ShownLink &shown, QString *elementAnchor = nullptr);

// What one found link passes on, as linkTypeText words it.
struct LinkType
{
    enum Rel { NoFollow = 1, Sponsored = 2, Ugc = 4, BareText = 8 }; // BareText: no tag
    enum Standing { Visible, Commented, InNoscript, InScript, Hidden };
    bool found = false;
    int rel = 0; // Rel flags
    Standing standing = Visible;

    // A followed link that stands visibly in the page.
    bool passes() const { return found && rel == 0 && standing == Visible; }
    QString text() const;
};

// Reads the links of one page in page order (each link's href at or after the last one's), in one
// pass over the page for all of them: each character is looked at a bounded number of times
// however many links there are. The page must outlive the reader.
class LinkTypeReader
{
public:
    explicit LinkTypeReader(QStringView page);
    ~LinkTypeReader();
    LinkTypeReader(const LinkTypeReader &) = delete;
    LinkTypeReader &operator=(const LinkTypeReader &) = delete;

    // As linkTypeText, for the next link.
    LinkType read(const ShownLink &link, QString *elementAnchor = nullptr);

private:
    struct Cursor;
    std::unique_ptr<Cursor> d;
};

// Every text linkTypeText can give but the empty one.
QStringList linkTypeTexts();

// The rel tokens of one tag's text, as linkTypeText words them.
QString relLinkType(QStringView tag);

} // namespace orvane
