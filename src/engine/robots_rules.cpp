#include "engine/robots_rules.h"

#include "engine/html_tag.h"

#include <QStringList>
#include <utility>

namespace orvane {

namespace {

bool isListSeparator(char16_t c)
{
    return c == u',' || isHtmlSpace(c);
}

bool appliesToUs(QStringView agent)
{
    return agent.isEmpty() || equalsAsciiNoCase(agent, u"googlebot");
}

// Directives that carry a value after ":" themselves, so that what stands before their colon is
// not a user agent.
bool takesValue(QStringView name)
{
    for (const char16_t *directive :
         {u"unavailable_after", u"max-snippet", u"max-image-preview", u"max-video-preview"}) {
        if (equalsAsciiNoCase(name, directive)) {
            return true;
        }
    }
    return false;
}

int headerValueRules(QStringView value)
{
    value = value.trimmed();
    const qsizetype colon = value.indexOf(u':');
    if (colon > 0) {
        const QStringView head = value.first(colon).trimmed();
        bool single = !head.isEmpty();
        for (const QChar c : head) {
            single = single && !isListSeparator(c.unicode());
        }
        if (single && !takesValue(head)) {
            return appliesToUs(head) ? robotsDirectives(value.sliced(colon + 1)) : 0;
        }
    }
    return robotsDirectives(value);
}

} // namespace

int robotsDirectives(QStringView list)
{
    int rules = 0;
    forEachToken(list, isListSeparator, [&rules](QStringView token) {
        if (equalsAsciiNoCase(token, u"noindex")) {
            rules |= RobotsNoIndex;
        } else if (equalsAsciiNoCase(token, u"nofollow")) {
            rules |= RobotsNoFollow;
        } else if (equalsAsciiNoCase(token, u"none")) {
            rules |= RobotsNoIndex | RobotsNoFollow;
        }
    });
    return rules;
}

int pageRobotsRules(QStringView page)
{
    int rules = 0;
    const qsizetype size = page.size();
    qsizetype from = 0;
    while (true) {
        const qsizetype open = page.indexOf(u'<', from);
        if (open < 0 || open + 5 > size) {
            return rules;
        }
        const bool isMeta = equalsAsciiNoCase(page.sliced(open + 1, 4), u"meta") &&
                            (open + 5 == size || isHtmlSpace(page[open + 5].unicode()) ||
                             page[open + 5] == u'/' || page[open + 5] == u'>');
        if (!isMeta) {
            from = open + 1;
            continue;
        }
        bool named = false;
        bool forRobots = false;
        QStringView content;
        bool hasContent = false;
        // The next search starts where this tag ended, so a tag that never ends is read once.
        from = scanAttributes(page, open, [&](QStringView name, QStringView value) {
            if (!named && equalsAsciiNoCase(name, u"name")) {
                named = true;
                const QStringView robot = value.trimmed();
                forRobots =
                    equalsAsciiNoCase(robot, u"robots") || equalsAsciiNoCase(robot, u"googlebot");
            } else if (!hasContent && equalsAsciiNoCase(name, u"content")) {
                hasContent = true;
                content = value;
            }
        });
        if (forRobots) {
            rules |= robotsDirectives(content);
        }
    }
}

int headerRobotsRules(const QByteArrayList &values)
{
    int rules = 0;
    for (const QByteArray &value : values) {
        rules |= headerValueRules(QString::fromLatin1(value));
    }
    return rules;
}

QString robotsText(int rules)
{
    QStringList words;
    for (const auto &[rule, word] :
         {std::pair{RobotsNoIndex, "noindex"}, std::pair{RobotsNoFollow, "nofollow"},
          std::pair{RobotsDisallowed, "disallowed"},
          std::pair{RobotsCanonicalised, "canonicalised"}}) {
        if ((rules & rule) != 0) {
            words << QLatin1String(word);
        }
    }
    return words.join(u' ');
}

} // namespace orvane
