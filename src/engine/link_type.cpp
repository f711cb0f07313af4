#include "engine/link_type.h"

#include "engine/html_tag.h"
#include "engine/legacy_codepage.h"
#include "engine/link_finder.h"

#include <array>

namespace orvane {

namespace {

enum RelToken { NoFollow = 1, Sponsored = 2, Ugc = 4 };
// The rel slot of a bare address's wording.
constexpr int kTextRel = 8;

enum Standing { Visible, Commented, InNoscript, InScript, Hidden, kStandingCount };

QString composedWording(int rel, int standing)
{
    static constexpr std::array<const char *, 9> kRelWords = {
        kDofollow, "nofollow",     "sponsored",     "nofollow sponsored",
        "ugc",     "nofollow ugc", "sponsored ugc", "nofollow sponsored ugc",
        kTextLink};
    static constexpr std::array<const char *, kStandingCount> kStandingWords = {
        "", "commented", "noscript", "script", "hidden"};
    const QLatin1String relWords(kRelWords[rel]);
    if (standing == Visible) {
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
            tokens |= NoFollow;
        } else if (equalsAsciiNoCase(token, u"sponsored")) {
            tokens |= Sponsored;
        } else if (equalsAsciiNoCase(token, u"ugc")) {
            tokens |= Ugc;
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

// Where `position` stands, by one pass over the page up to it that reads comments, tags and the
// raw text of script, style, template and noscript as a browser's tokenizer does. Every character
// before the position's region is looked at a bounded number of times, so no markup makes the pass
// worse than linear.
Where whereIs(QStringView page, qsizetype position)
{
    static constexpr std::array<QStringView, 4> kRawTextElements = {u"script", u"style",
                                                                    u"template", u"noscript"};
    const qsizetype size = page.size();
    qsizetype at = 0;
    while (true) {
        const qsizetype open = page.indexOf(u'<', at);
        if (open < 0 || open >= position) {
            return {InText, at};
        }
        const char16_t next = open + 1 < size ? page[open + 1].unicode() : u'\0';
        const char16_t afterNext = open + 2 < size ? page[open + 2].unicode() : u'\0';
        if (hasAt(page, open, u"<!--")) {
            // "<!-->" and "<!--->" end at once; an unclosed comment runs to the end.
            const qsizetype close = page.indexOf(u"-->", open + 2);
            const qsizetype end = close < 0 ? size : close + 3;
            if (position < end) {
                return {InComment, open + 4};
            }
            at = end;
        } else if (next == u'!' || next == u'?' || (next == u'/' && !isAsciiLetter(afterNext))) {
            // A bogus comment, up to the next ">".
            const qsizetype close = page.indexOf(u'>', open + 2);
            const qsizetype end = close < 0 ? size : close + 1;
            if (position < end) {
                return {InComment, open + 2};
            }
            at = end;
        } else if (next == u'/') {
            const qsizetype end = scanAttributes(page, open + 1, [](QStringView, QStringView) {});
            if (position < end) {
                return {InText, open}; // an end tag is no link's tag
            }
            at = end;
        } else if (isAsciiLetter(next)) {
            const qsizetype end = scanAttributes(page, open, [](QStringView, QStringView) {});
            if (position < end) {
                return {InStartTag, open};
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
                        return {raw == u"noscript" ? InNoscriptText : InScriptText, end};
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

Standing standingOf(Place place)
{
    switch (place) {
    case InComment:
        return Commented;
    case InNoscriptText:
        return InNoscript;
    case InScriptText:
        return InScript;
    case InText:
    case InStartTag:
        break;
    }
    return Visible;
}

// The <a> tag whose first href value holds the bare address at `position`, or an empty view.
QStringView hrefTag(QStringView page, const Where &where, qsizetype position)
{
    qsizetype open = -1;
    if (where.place == InStartTag) {
        open = where.regionStart;
    } else if (where.place != InText) {
        // Within the comment or raw text only, so the pass stays linear.
        for (qsizetype i = position - 1; i >= where.regionStart; --i) {
            if (page[i] == u'<') {
                open = i;
                break;
            }
        }
    }
    const qsizetype size = page.size();
    if (open < 0 || open + 2 >= size || (page[open + 1] != u'a' && page[open + 1] != u'A') ||
        !(isHtmlSpace(page[open + 2].unicode()) || page[open + 2] == u'/')) {
        return {};
    }
    bool hrefSeen = false;
    bool inHref = false;
    const qsizetype end = scanAttributes(page, open, [&](QStringView name, QStringView value) {
        if (!hrefSeen && equalsAsciiNoCase(name, u"href")) {
            hrefSeen = true;
            const qsizetype start = value.isEmpty() ? -1 : value.data() - page.data();
            inHref = start >= 0 && start <= position && position < start + value.size();
        }
    });
    return inHref ? page.sliced(open, end - open) : QStringView();
}

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

QString relLinkType(QStringView tag)
{
    return wording(readTag(tag).rel, Visible);
}

QStringList linkTypeTexts()
{
    QStringList texts;
    for (int rel = 0; rel <= kTextRel; ++rel) {
        for (int standing = 0; standing < kStandingCount; ++standing) {
            if (rel != kTextRel || standing != Hidden) { // a bare address has no tag to hide
                texts << wording(rel, standing);
            }
        }
    }
    return texts;
}

QString linkTypeText(QStringView page, const ShownLink &shown, QString *elementAnchor)
{
    if (shown.kind == ShownLink::None) {
        return {};
    }
    const qsizetype position = shown.hrefStart;
    const bool placed = position >= 0 && position <= page.size();
    const Where where = placed ? whereIs(page, position) : Where{};
    Standing standing = standingOf(where.place);
    QStringView tag;
    if (shown.kind == ShownLink::Anchor) {
        const qsizetype open = position > 0 ? page.lastIndexOf(u'<', position - 1) : -1;
        if (open < 0) {
            return wording(0, standing);
        }
        const qsizetype close = page.indexOf(u'>', shown.hrefEnd);
        const qsizetype end = close < 0 ? page.size() : close + 1;
        tag = page.sliced(open, end - open);
    } else {
        tag = placed ? hrefTag(page, where, position) : QStringView();
        if (tag.isEmpty()) {
            return wording(kTextRel, standing);
        }
        if (elementAnchor != nullptr) {
            *elementAnchor = elementText(page, tag.data() - page.data() + tag.size());
        }
    }
    const TagReading reading = readTag(tag);
    if (standing == Visible && reading.hidden) {
        standing = Hidden;
    }
    return wording(reading.rel, standing);
}

} // namespace orvane
