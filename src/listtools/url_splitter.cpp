#include "listtools/url_splitter.h"

#include <utility>

namespace orvane {

namespace {

bool isSlash(QChar c)
{
    return c == u'/' || c == u'\\';
}

// Cuts `text` at the first `separator`: returns what came before it and keeps what followed. When
// there is no separator, returns all of it and leaves `text` empty.
QString cutAtFirst(QString &text, QStringView separator)
{
    const qsizetype at = text.indexOf(separator);
    if (at < 0) {
        return std::exchange(text, QString());
    }
    QString before = text.left(at);
    text.remove(0, at + separator.size());
    return before;
}

// When `text` holds `separator`: returns what follows its first occurrence and keeps what came
// before. Otherwise returns nothing and leaves `text` alone.
QString takeAfterFirst(QString &text, QChar separator)
{
    const qsizetype at = text.indexOf(separator);
    if (at < 0) {
        return {};
    }
    QString after = text.mid(at + 1);
    text.truncate(at);
    return after;
}

} // namespace

UrlSplitter::UrlSplitter(const QString &address)
{
    if (!address.isEmpty()) {
        setURI(address);
    }
}

QString UrlSplitter::NormalizePath(const QString &address)
{
    QString result = address;
    qsizetype start = 0;
    const qsizetype colon = result.indexOf(u':');
    if (colon >= 0) {
        start = colon + 1;
        if (start + 1 < result.size() && isSlash(result.at(start)) &&
            isSlash(result.at(start + 1))) {
            start += 2;
        }
    }
    for (qsizetype i = start; i < result.size(); ++i) {
        const QChar c = result.at(i);
        if (c == u'?' || c == u'#') {
            break;
        }
        if (c == u'\\') {
            result[i] = u'/';
        }
    }
    return result;
}

void UrlSplitter::clear()
{
    for (QString *part : {&m_document, &m_protocol, &m_uri, &m_port, &m_path, &m_host, &m_bookmark,
                          &m_username, &m_password, &m_params}) {
        part->clear();
    }
    m_ipVersion = IPVersionKind::IPv4;
}

void UrlSplitter::setURI(const QString &address)
{
    clear();
    m_uri = NormalizePath(address);
    QString rest = m_uri;

    const qsizetype schemeEnd = rest.indexOf(u"://");
    if (schemeEnd >= 0) {
        m_protocol = rest.left(schemeEnd);
        rest.remove(0, schemeEnd + 3);
        m_params = takeAfterFirst(rest, u'?');

        QString authority = cutAtFirst(rest, u"/");
        const qsizetype at = authority.indexOf(u'@');
        if (at >= 0) {
            QString userInfo = authority.left(at);
            authority.remove(0, at + 1);
            m_username = cutAtFirst(userInfo, u":");
            m_password = m_username.isEmpty() ? QString() : userInfo;
        }

        const qsizetype open = authority.indexOf(u'[');
        const qsizetype close = authority.indexOf(u']');
        if (open >= 0 && close > open) {
            m_host = authority.mid(open + 1, close - open - 1);
            authority.remove(0, close + 1);
            cutAtFirst(authority, u":");
            m_ipVersion = IPVersionKind::IPv6;
        } else {
            m_host = cutAtFirst(authority, u":");
        }
        m_port = authority;

        const qsizetype lastSlash = rest.lastIndexOf(u'/');
        if (lastSlash >= 0) {
            m_path = u'/' + rest.left(lastSlash + 1);
            rest.remove(0, lastSlash + 1);
        } else {
            m_path = QStringLiteral("/");
        }
    } else {
        m_params = takeAfterFirst(rest, u'?');
        const qsizetype lastSlash = rest.lastIndexOf(u'/');
        if (lastSlash >= 0) {
            m_path = rest.left(lastSlash + 1);
            rest.remove(0, lastSlash + 1);
        }
    }

    m_document = cutAtFirst(rest, u"#");
    m_bookmark = rest;
}

} // namespace orvane
