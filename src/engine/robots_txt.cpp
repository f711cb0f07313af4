#include "engine/robots_txt.h"

#include <algorithm>
#include <utility>

namespace orvane {

namespace {

// Google reads no further than this.
constexpr qsizetype kMaxBytes = qsizetype{500} * 1024;
constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isUnreserved(char c)
{
    return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
           c == '~';
}

void appendEscape(QByteArray &out, unsigned char byte)
{
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
}

// One spelling for each address, so that rules and paths compare byte for byte: escapes of
// unreserved characters decoded, other escapes in upper case, bytes beyond ASCII escaped.
QByteArray canonical(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = text[i];
        const int high = c == '%' && i + 2 < size ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low >= 0) {
            const auto byte = static_cast<unsigned char>(high * 16 + low);
            if (isUnreserved(static_cast<char>(byte))) {
                out += static_cast<char>(byte);
            } else {
                appendEscape(out, byte);
            }
            i += 2;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            appendEscape(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    return out;
}

bool isKey(QByteArrayView key, QByteArrayView lowerCaseWord)
{
    return key.compare(lowerCaseWord, Qt::CaseInsensitive) == 0;
}

// A user agent's product token ends at the first character that is not a letter, "-" or "_", so
// "Googlebot/2.1" is Googlebot and "Googlebot-News" is another crawler.
bool namesGooglebot(QByteArrayView agent)
{
    qsizetype end = 0;
    while (end < agent.size() &&
           (isAsciiLetter(agent[end]) || agent[end] == '-' || agent[end] == '_')) {
        ++end;
    }
    return isKey(agent.first(end), "googlebot");
}

bool namesEveryone(QByteArrayView agent)
{
    return agent.startsWith('*') && (agent.size() == 1 || agent[1] == ' ' || agent[1] == '\t');
}

// The leftmost place at or after `from` where `needle` (not empty) stands in `text`, or -1.
// Knuth-Morris-Pratt, so that a long segment of a hostile rule costs what the path and the segment
// are long, never their product. `border` is scratch space the caller keeps between calls.
qsizetype findFrom(QByteArrayView text, qsizetype from, QByteArrayView needle,
                   std::vector<qsizetype> &border)
{
    const qsizetype size = needle.size();
    border.assign(size, 0);
    for (qsizetype i = 1, k = 0; i < size; ++i) {
        while (k > 0 && needle[i] != needle[k]) {
            k = border[k - 1];
        }
        if (needle[i] == needle[k]) {
            ++k;
        }
        border[i] = k;
    }
    for (qsizetype i = from, k = 0; i < text.size(); ++i) {
        while (k > 0 && text[i] != needle[k]) {
            k = border[k - 1];
        }
        if (text[i] == needle[k]) {
            ++k;
        }
        if (k == size) {
            return i + 1 - size;
        }
    }
    return -1;
}

// Whether `pattern` matches a prefix of `path` (all of it when anchored). "*" matches any run, so
// each segment between stars is best taken at its leftmost place after the one before: that leaves
// the most room for the rest, which makes one greedy pass exact.
bool matches(QByteArrayView pattern, bool anchored, QByteArrayView path,
             std::vector<qsizetype> &border)
{
    const qsizetype firstStar = pattern.indexOf('*');
    if (firstStar < 0) {
        return anchored ? path == pattern : path.startsWith(pattern);
    }
    if (!path.startsWith(pattern.first(firstStar))) {
        return false;
    }
    const qsizetype lastStar = pattern.lastIndexOf('*');
    qsizetype at = firstStar;
    for (qsizetype from = firstStar + 1; from <= lastStar;) {
        const qsizetype star = pattern.indexOf('*', from);
        const QByteArrayView segment = pattern.sliced(from, star - from);
        if (!segment.isEmpty()) {
            const qsizetype found = findFrom(path, at, segment, border);
            if (found < 0) {
                return false;
            }
            at = found + segment.size();
        }
        from = star + 1;
    }
    const QByteArrayView tail = pattern.sliced(lastStar + 1);
    if (anchored) {
        return path.size() - at >= tail.size() && path.endsWith(tail);
    }
    return tail.isEmpty() || findFrom(path, at, tail, border) >= 0;
}

} // namespace

RobotsTxt RobotsTxt::parse(QByteArrayView text)
{
    text = text.first(std::min(text.size(), kMaxBytes));
    if (text.startsWith("\xEF\xBB\xBF")) {
        text = text.sliced(3);
    }
    std::vector<Rule> googlebotRules;
    std::vector<Rule> everyoneRules;
    bool sawGooglebot = false;
    bool sawEveryone = false;
    // A run of user-agent lines names one group; the first rule after it closes the run.
    bool readingAgents = false;
    bool forGooglebot = false;
    bool forEveryone = false;

    const qsizetype size = text.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != '\n' && text[end] != '\r') {
            ++end;
        }
        QByteArrayView line = text.sliced(start, end - start);
        start = end + (end + 1 < size && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);

        const qsizetype hash = line.indexOf('#');
        if (hash >= 0) {
            line = line.first(hash);
        }
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) {
            continue;
        }
        const QByteArrayView key = line.first(colon).trimmed();
        const QByteArrayView value = line.sliced(colon + 1).trimmed();
        if (isKey(key, "user-agent")) {
            if (!readingAgents) {
                readingAgents = true;
                forGooglebot = false;
                forEveryone = false;
            }
            if (namesGooglebot(value)) {
                forGooglebot = sawGooglebot = true;
            } else if (namesEveryone(value)) {
                forEveryone = sawEveryone = true;
            }
            continue;
        }
        const bool allow = isKey(key, "allow");
        if (!allow && !isKey(key, "disallow")) {
            continue; // sitemap and whatever else leave the group as it is
        }
        // Even an empty rule closes the run of agents.
        readingAgents = false;
        if (value.isEmpty() || (!forGooglebot && !forEveryone)) {
            continue;
        }
        Rule rule{canonical(value), 0, allow, false};
        rule.weight = rule.pattern.size();
        if (rule.pattern.endsWith('$')) {
            rule.anchored = true;
            rule.pattern.chop(1);
        }
        if (forGooglebot) {
            googlebotRules.push_back(rule);
        }
        if (forEveryone) {
            everyoneRules.push_back(std::move(rule));
        }
    }

    RobotsTxt robots;
    if (sawGooglebot) {
        robots.m_rules = std::move(googlebotRules);
    } else if (sawEveryone) {
        robots.m_rules = std::move(everyoneRules);
    }
    std::stable_sort(robots.m_rules.begin(), robots.m_rules.end(),
                     [](const Rule &a, const Rule &b) {
                         return a.weight != b.weight ? a.weight > b.weight : a.allow && !b.allow;
                     });
    return robots;
}

bool RobotsTxt::allows(QByteArrayView pathAndQuery) const
{
    if (m_rules.empty()) {
        return true;
    }
    QByteArray path = canonical(pathAndQuery);
    if (path.isEmpty() || path.startsWith('?')) {
        path.prepend('/'); // an address without a path is the root
    }
    std::vector<qsizetype> border;
    for (const Rule &rule : m_rules) {
        if (matches(rule.pattern, rule.anchored, path, border)) {
            return rule.allow;
        }
    }
    return true;
}

} // namespace orvane
