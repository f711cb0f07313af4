#include "engine/page_addresses.h"

#include "engine/html_tag.h"

#include <QUrl>

namespace orvane {

namespace {

bool hasToken(QStringView list, QStringView word)
{
    bool found = false;
    forEachToken(list, isHtmlSpace,
                 [&](QStringView token) { found = found || equalsAsciiNoCase(token, word); });
    return found;
}

// "5; url=/next", "0;URL='/next'": the address, or nothing for a refresh of the page itself.
QStringView refreshAddress(QStringView content)
{
    qsizetype i = 0;
    const qsizetype size = content.size();
    while (i < size &&
           (content[i].isDigit() || content[i] == u'.' || isHtmlSpace(content[i].unicode()))) {
        ++i;
    }
    if (i < size && (content[i] == u';' || content[i] == u',')) {
        ++i;
    }
    QStringView rest = content.sliced(i).trimmed();
    if (rest.size() >= 3 && equalsAsciiNoCase(rest.first(3), u"url")) {
        QStringView afterName = rest.sliced(3).trimmed();
        if (afterName.startsWith(u'=')) {
            rest = afterName.sliced(1).trimmed();
        }
    }
    if (!rest.isEmpty() && (rest.front() == u'"' || rest.front() == u'\'')) {
        const qsizetype close = rest.indexOf(rest.front(), 1);
        rest = close < 0 ? rest.sliced(1) : rest.sliced(1, close - 1);
    }
    return rest.trimmed();
}

// The first target of a Link header value whose rel names canonical.
QString headerCanonical(const QByteArrayList &values)
{
    for (const QByteArray &value : values) {
        const QString text = QString::fromLatin1(value);
        qsizetype open = text.indexOf(u'<');
        while (open >= 0) {
            const qsizetype close = text.indexOf(u'>', open);
            if (close < 0) {
                break;
            }
            const qsizetype next = text.indexOf(u'<', close);
            const QStringView params =
                QStringView(text).sliced(close + 1, (next < 0 ? text.size() : next) - close - 1);
            for (QStringView param : params.split(u';')) {
                param = param.trimmed();
                if (param.size() > 4 && equalsAsciiNoCase(param.first(4), u"rel=")) {
                    QStringView rel = param.sliced(4);
                    if (rel.startsWith(u'"')) {
                        rel = rel.sliced(1);
                        rel = rel.first(qMax<qsizetype>(0, rel.indexOf(u'"')));
                    }
                    if (hasToken(rel, u"canonical")) {
                        return text.sliced(open + 1, close - open - 1).trimmed();
                    }
                }
            }
            open = next;
        }
    }
    return {};
}

QString resolved(const QString &base, const QString &reference)
{
    if (reference.isEmpty()) {
        return {};
    }
    return QUrl(base).resolved(QUrl(reference)).toString();
}

} // namespace

PageAddresses pageAddresses(QStringView page, const QByteArrayList &linkHeaders,
                            const QString &pageUrl)
{
    QString canonical;
    QString refresh;
    const qsizetype size = page.size();
    qsizetype from = 0;
    // One pass over the tags that can name them; a tag that never ends is read once.
    while ((canonical.isEmpty() || refresh.isEmpty()) && from < size) {
        const qsizetype open = page.indexOf(u'<', from);
        if (open < 0 || open + 5 > size) {
            break;
        }
        const QStringView name = page.sliced(open + 1, 4);
        const bool isLink = equalsAsciiNoCase(name, u"link");
        const bool isMeta = equalsAsciiNoCase(name, u"meta");
        const QChar after = open + 5 < size ? page[open + 5] : QChar(u'>');
        if ((!isLink && !isMeta) ||
            !(isHtmlSpace(after.unicode()) || after == u'/' || after == u'>')) {
            from = open + 1;
            continue;
        }
        bool canonicalRel = false;
        bool refreshEquiv = false;
        QStringView href;
        QStringView content;
        from = scanAttributes(page, open, [&](QStringView attribute, QStringView value) {
            if (equalsAsciiNoCase(attribute, u"rel")) {
                canonicalRel = canonicalRel || hasToken(value, u"canonical");
            } else if (equalsAsciiNoCase(attribute, u"href") && href.isNull()) {
                href = value;
            } else if (equalsAsciiNoCase(attribute, u"http-equiv")) {
                refreshEquiv = equalsAsciiNoCase(value.trimmed(), u"refresh");
            } else if (equalsAsciiNoCase(attribute, u"content") && content.isNull()) {
                content = value;
            }
        });
        if (isLink && canonicalRel && canonical.isEmpty()) {
            canonical = href.trimmed().toString();
        } else if (isMeta && refreshEquiv && refresh.isEmpty()) {
            refresh = refreshAddress(content).toString();
        }
    }
    if (canonical.isEmpty()) {
        canonical = headerCanonical(linkHeaders);
    }
    return {resolved(pageUrl, canonical), resolved(pageUrl, refresh)};
}

bool isSamePage(const QString &first, const QString &second)
{
    // QUrl keeps schemes and hosts in lower case; the rest is compared as written.
    const auto normal = [](const QString &address) {
        QUrl url(address);
        url.setFragment(QString());
        if ((url.scheme() == QLatin1String("http") && url.port() == 80) ||
            (url.scheme() == QLatin1String("https") && url.port() == 443)) {
            url.setPort(-1);
        }
        return url.toString(QUrl::FullyEncoded);
    };
    return normal(first) == normal(second);
}

} // namespace orvane
