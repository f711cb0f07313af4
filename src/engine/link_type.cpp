#include "engine/link_type.h"

#include "engine/html_tag.h"
#include "engine/legacy_codepage.h"
#include "engine/link_finder.h"

#include <array>

namespace orvane {

namespace {

constexpr int kTextRel = LinkType::BareText;
constexpr int kStandingCount = LinkType::Hidden + 1;

QString composedWording(int rel, int standing)
{
    static constexpr std::array<const char *, 9> kRelWords = {
        kDofollow, "nofollow",     "sponsored",     "nofollow sponsored",
        "ugc",     "nofollow ugc", "sponsored ugc", "nofollow sponsored ugc",
        kTextLink};
    static constexpr std::array<const char *, kStandingCount> kStandingWords = {
        "", "commented", "noscript", "script", "hidden"};
    const QLatin1String relWords(kRelWords[rel]);
    if (standing == LinkType::Visible) {
        return relWords;
    }
    const QLatin1String word(kStandingWords[standing]);
    return rel == 0 ? QString(word) : relWords + u' ' + word;
}

// The same texts for every row, shared rather than one copy per row.
const QString &wording(int rel, int standing)
{
    static const auto texts = [] {
        std::array<std::array<QString, kStandingCount>, kTextRel + 1> all;
        for (int r = 0; r <= kTextRel; ++r) {
            for (int s = 0; s < kStandingCount; ++s) {
                all[r][s] = composedWording(r, s);
            }
        }
        return all;
    }();
    return texts[rel][standing];
}

int relTokens(QStringView value)
{
    int tokens = 0;
    forEachToken(value, isHtmlSpace, [&tokens](QStringView token) {
        if (equalsAsciiNoCase(token, u"nofollow")) {
            tokens |= LinkType::NoFollow;
        } else if (equalsAsciiNoCase(token, u"sponsored")) {
            tokens |= LinkType::Sponsored;
        } else if (equalsAsciiNoCase(token, u"ugc")) {
            tokens |= LinkType::Ugc;
        }
    });
    return tokens;
}

// Later declarations of a property override earlier ones, as in CSS.
bool styleHides(QStringView style)
{
    bool displayNone = false;
    bool visibilityHidden = false;
    forEachToken(
        style, [](char16_t c) { return c == u';'; },
        [&](QStringView declaration) {
            const qsizetype colon = declaration.indexOf(u':');
            if (colon < 0) {
                return;
            }
            const QStringView property = declaration.first(colon).trimmed();
            QStringView value = declaration.sliced(colon + 1);
            if (const qsizetype bang = value.indexOf(u'!'); bang >= 0) {
                value = value.first(bang); // "!important"
            }
            value = value.trimmed();
            if (equalsAsciiNoCase(property, u"display")) {
                displayNone = equalsAsciiNoCase(value, u"none");
            } else if (equalsAsciiNoCase(property, u"visibility")) {
                visibilityHidden = equalsAsciiNoCase(value, u"hidden");
            }
        });
    return displayNone || visibilityHidden;
}

struct TagReading
{
    int rel = 0;
    bool hidden = false;
};

TagReading readTag(QStringView tag)
{
    TagReading reading;
    bool relSeen = false;
    bool styleSeen = false;
    // As in a browser, the first of an attribute's repeats counts.
    scanAttributes(tag, 0, [&](QStringView name, QStringView value) {
        if (!relSeen && equalsAsciiNoCase(name, u"rel")) {
            relSeen = true;
            reading.rel = relTokens(value);
        } else if (equalsAsciiNoCase(name, u"hidden")) {
            reading.hidden = true;
        } else if (!styleSeen && equalsAsciiNoCase(name, u"style")) {
            styleSeen = true;
            reading.hidden = reading.hidden || styleHides(value);
        }
    });
    return reading;
}

constexpr bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool hasAt(QStringView page, qsizetype at, QStringView lowerCaseWord)
{
    return at + lowerCaseWord.size() <= page.size() &&
           equalsAsciiNoCase(page.sliced(at, lowerCaseWord.size()), lowerCaseWord);
}

// Where the raw text of element `name` ends: at its end tag "</name" followed by white space, "/"
// or ">", or at the page's end.
qsizetype rawTextEnd(QStringView page, qsizetype from, QStringView name)
{
    qsizetype at = from;
    while ((at = page.indexOf(u"</", at)) >= 0) {
        const qsizetype after = at + 2 + name.size();
        if (hasAt(page, at + 2, name) && after < page.size() &&
            (isHtmlSpace(page[after].unicode()) || page[after] == u'/' || page[after] == u'>')) {
            return at;
        }
        at += 2;
    }
    return page.size();
}

enum Place { InText, InStartTag, InComment, InNoscriptText, InScriptText };

struct Where
{
    Place place = InText;
    // The start tag's "<", or where the comment's or the raw text's content begins.
    qsizetype regionStart = 0;
};

LinkType::Standing standingOf(Place place)
{
    switch (place) {
    case InComment:
        return LinkType::Commented;
    case InNoscriptText:
        return LinkType::InNoscript;
    case InScriptText:
        return LinkType::InScript;
    case InText:
    case InStartTag:
        break;
    }
    return LinkType::Visible;
}

} // namespace

// Reads comments, tags and the raw text of script, style, template and noscript as a browser's
// tokenizer does, moving forward only. Each construct's extent is found at most a few times
// however many positions fall in it, and the last "<" is tracked rather than searched backwards,
// so no markup and no number of links makes the reading worse than linear.
struct LinkTypeReader::Cursor
{
    QStringView page;
    qsizetype at = 0;        // every construct before this has been passed
    qsizetype nextOpen = -1; // the first "<" at or after `at` (page size: none), once looked for
    // The region the last position fell in: [cachedFrom, cachedTo).
    Where cached;
    qsizetype cachedFrom = 0;
    qsizetype cachedTo = -1;
    // The last "<" before `lessScanned`.
    qsizetype lastLess = -1;
    qsizetype lessScanned = 0;
    // The last <a> tag read for a bare address: where it opens and ends, and its first href value.
    qsizetype tagOpen = -1;
    qsizetype tagEnd = -1;
    qsizetype hrefStart = -1;
    qsizetype hrefEnd = -1;

    Where whereIs(qsizetype position);
    Where remember(Where where, qsizetype from, qsizetype to)
    {
        cached = where;
        cachedFrom = from;
        cachedTo = to;
        return where;
    }
    qsizetype lastLessBefore(qsizetype position);
    QStringView hrefTag(const Where &where, qsizetype position);
};

Where LinkTypeReader::Cursor::whereIs(qsizetype position)
{
    if (position >= cachedFrom && position < cachedTo) {
        return cached;
    }
    static constexpr std::array<QStringView, 4> kRawTextElements = {u"script", u"style",
                                                                    u"template", u"noscript"};
    const qsizetype size = page.size();
    while (true) {
        if (nextOpen < at) {
            nextOpen = page.indexOf(u'<', at);
            nextOpen = nextOpen < 0 ? size : nextOpen;
        }
        const qsizetype open = nextOpen;
        if (open >= position) {
            return remember({InText, at}, at, open);
        }
        const char16_t next = open + 1 < size ? page[open + 1].unicode() : u'\0';
        const char16_t afterNext = open + 2 < size ? page[open + 2].unicode() : u'\0';
        if (hasAt(page, open, u"<!--")) {
            // "<!-->" and "<!--->" end at once; an unclosed comment runs to the end.
            const qsizetype close = page.indexOf(u"-->", open + 2);
            const qsizetype end = close < 0 ? size : close + 3;
            if (position < end) {
                return remember({InComment, open + 4}, open, end);
            }
            at = end;
        } else if (next == u'!' || next == u'?' || (next == u'/' && !isAsciiLetter(afterNext))) {
            // A bogus comment, up to the next ">".
            const qsizetype close = page.indexOf(u'>', open + 2);
            const qsizetype end = close < 0 ? size : close + 1;
            if (position < end) {
                return remember({InComment, open + 2}, open, end);
            }
            at = end;
        } else if (next == u'/') {
            const qsizetype end = scanAttributes(page, open + 1, [](QStringView, QStringView) {});
            if (position < end) {
                return remember({InText, open}, open, end); // an end tag is no link's tag
            }
            at = end;
        } else if (isAsciiLetter(next)) {
            const qsizetype end = scanAttributes(page, open, [](QStringView, QStringView) {});
            if (position < end) {
                return remember({InStartTag, open}, open, end);
            }
            qsizetype nameEnd = open + 1;
            while (nameEnd < end && !isHtmlSpace(page[nameEnd].unicode()) &&
                   page[nameEnd] != u'/' && page[nameEnd] != u'>') {
                ++nameEnd;
            }
            const QStringView name = page.sliced(open + 1, nameEnd - open - 1);
            at = end;
            for (const QStringView raw : kRawTextElements) {
                if (equalsAsciiNoCase(name, raw)) {
                    const qsizetype close = rawTextEnd(page, end, raw);
                    if (position < close) {
                        return remember({raw == u"noscript" ? InNoscriptText : InScriptText, end},
                                        end, close);
                    }
                    at = close;
                    break;
                }
            }
        } else {
            at = open + 1; // a "<" in text
        }
    }
}

qsizetype LinkTypeReader::Cursor::lastLessBefore(qsizetype position)
{
    for (; lessScanned < position; ++lessScanned) {
        if (page[lessScanned] == u'<') {
            lastLess = lessScanned;
        }
    }
    return lastLess;
}

// The <a> tag whose first href value holds the bare address at `position`, or an empty view.
QStringView LinkTypeReader::Cursor::hrefTag(const Where &where, qsizetype position)
{
    qsizetype open = -1;
    if (where.place == InStartTag) {
        open = where.regionStart;
    } else if (where.place != InText) {
        // Within the comment or raw text only.
        open = lastLessBefore(position);
        open = open >= where.regionStart ? open : -1;
    }
    const qsizetype size = page.size();
    if (open < 0 || open + 2 >= size || (page[open + 1] != u'a' && page[open + 1] != u'A') ||
        !(isHtmlSpace(page[open + 2].unicode()) || page[open + 2] == u'/')) {
        return {};
    }
    if (open != tagOpen) {
        // Read once however many addresses the tag holds.
        tagOpen = open;
        hrefStart = -1;
        hrefEnd = -1;
        bool hrefSeen = false;
        tagEnd = scanAttributes(page, open, [&](QStringView name, QStringView value) {
            if (!hrefSeen && equalsAsciiNoCase(name, u"href")) {
                hrefSeen = true;
                if (!value.isEmpty()) {
                    hrefStart = value.data() - page.data();
                    hrefEnd = hrefStart + value.size();
                }
            }
        });
    }
    const bool inHref = hrefStart >= 0 && hrefStart <= position && position < hrefEnd;
    return inHref ? page.sliced(tagOpen, tagEnd - tagOpen) : QStringView();
}

namespace {

// The element's text up to the first "</a>", as Find_Link makes an anchor of it.
QString elementText(QStringView page, qsizetype from)
{
    const qsizetype size = page.size();
    qsizetype at = from;
    while ((at = page.indexOf(u"</", at)) >= 0) {
        qsizetype i = at + 2;
        if (i < size && (page[i] == u'a' || page[i] == u'A')) {
            ++i;
            while (i < size && (isHtmlSpace(page[i].unicode()) || page[i] == u'\v')) {
                ++i;
            }
            if (i < size && page[i] == u'>') {
                QString stripped;
                Strip_Tags(page.sliced(from, at - from).toString(), stripped);
                QByteArray trimmed;
                Trim_Spaces(narrowToLegacy(stripped), trimmed);
                return widenFromLegacy(trimmed);
            }
        }
        at += 2;
    }
    return {};
}

} // namespace

QString LinkType::text() const
{
    return found ? wording(rel, standing) : QString();
}

LinkTypeReader::LinkTypeReader(QStringView page) : d(std::make_unique<Cursor>())
{
    d->page = page;
}

LinkTypeReader::~LinkTypeReader() = default;

LinkType LinkTypeReader::read(const ShownLink &link, QString *elementAnchor)
{
    if (link.kind == ShownLink::None) {
        return {};
    }
    const QStringView page = d->page;
    const qsizetype position = link.hrefStart;
    const bool placed = position >= 0 && position <= page.size();
    const Where where = placed ? d->whereIs(position) : Where{};
    LinkType type{true, 0, standingOf(where.place)};
    QStringView tag;
    if (link.kind == ShownLink::Anchor) {
        // Both bounded by the link's own match.
        const qsizetype open = position > 0 ? page.lastIndexOf(u'<', position - 1) : -1;
        if (open < 0) {
            return type;
        }
        const qsizetype close = page.indexOf(u'>', link.hrefEnd);
        const qsizetype end = close < 0 ? page.size() : close + 1;
        tag = page.sliced(open, end - open);
    } else {
        tag = placed ? d->hrefTag(where, position) : QStringView();
        if (tag.isEmpty()) {
            type.rel = kTextRel;
            return type;
        }
        if (elementAnchor != nullptr) {
            *elementAnchor = elementText(page, tag.data() - page.data() + tag.size());
        }
    }
    const TagReading reading = readTag(tag);
    type.rel = reading.rel;
    if (type.standing == LinkType::Visible && reading.hidden) {
        type.standing = LinkType::Hidden;
    }
    return type;
}

QString relLinkType(QStringView tag)
{
    return wording(readTag(tag).rel, LinkType::Visible);
}

QStringList linkTypeTexts()
{
    QStringList texts;
    for (int rel = 0; rel <= kTextRel; ++rel) {
        for (int standing = 0; standing < kStandingCount; ++standing) {
            // A bare address has no tag to hide.
            if (rel != kTextRel || standing != LinkType::Hidden) {
                texts << wording(rel, standing);
            }
        }
    }
    return texts;
}

QString linkTypeText(QStringView page, const ShownLink &shown, QString *elementAnchor)
{
    return LinkTypeReader(page).read(shown, elementAnchor).text();
}

} // namespace orvane
