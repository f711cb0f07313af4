#include "engine/link_type.h"

#include "engine/html_tag.h"

namespace orvane {

namespace {

enum RelToken { NoFollow = 1, Sponsored = 2, Ugc = 4 };

// The same texts for every row, shared rather than one copy per row.
const QString &wording(int tokens)
{
    static const QString texts[8] = {
        QLatin1String(kDofollow),        QStringLiteral("nofollow"),
        QStringLiteral("sponsored"),     QStringLiteral("nofollow sponsored"),
        QStringLiteral("ugc"),           QStringLiteral("nofollow ugc"),
        QStringLiteral("sponsored ugc"), QStringLiteral("nofollow sponsored ugc"),
    };
    return texts[tokens & 7];
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

} // namespace

QString relLinkType(QStringView tag)
{
    int tokens = 0;
    bool seen = false;
    // As in a browser, the first rel attribute counts.
    scanAttributes(tag, 0, [&](QStringView name, QStringView value) {
        if (!seen && equalsAsciiNoCase(name, u"rel")) {
            seen = true;
            tokens = relTokens(value);
        }
    });
    return wording(tokens);
}

QString linkTypeText(QStringView page, const ShownLink &shown)
{
    switch (shown.kind) {
    case ShownLink::BareAddress: {
        static const QString text = QLatin1String(kTextLink);
        return text;
    }
    case ShownLink::Anchor: {
        const qsizetype open =
            shown.hrefStart > 0 ? page.lastIndexOf(u'<', shown.hrefStart - 1) : -1;
        if (open < 0) {
            return wording(0);
        }
        const qsizetype close = page.indexOf(u'>', shown.hrefEnd);
        const qsizetype end = close < 0 ? page.size() : close + 1;
        return relLinkType(page.sliced(open, end - open));
    }
    case ShownLink::None:
        break;
    }
    return {};
}

} // namespace orvane
