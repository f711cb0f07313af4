#include "engine/pattern_rewrite.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace orvane {
namespace {

// What "\s" must mean; PCRE2's own "\s" also takes VT.
constexpr char16_t kWhiteSpace[] = u"\\t\\n\\f\\r ";

bool isLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isLetterOrDigit(char16_t c)
{
    return isLetter(c) || (c >= u'0' && c <= u'9');
}

char16_t otherCase(char16_t letter)
{
    return letter ^ 0x20;
}

class Rewriter
{
public:
    Rewriter(QStringView pattern, CaseFolding folding)
        : m_p(pattern), m_fold(folding == CaseFolding::AsciiOnly)
    {}

    QString run()
    {
        // Non-ASCII letters would have case variants of their own.
        for (qsizetype i = 0; i < m_p.size(); ++i) {
            if (m_p[i].unicode() > 0x7F)
                refuse("a non-ASCII character", i);
        }
        m_out.reserve(m_p.size() * 4);
        // Only a "?" may follow a quantifier (making it lazy); anything else would make it
        // possessive or repeat it.
        enum { Item, Quantifier, Lazy } last = Item;
        while (m_i < m_p.size()) {
            const char16_t c = m_p[m_i++].unicode();
            if (c == u'*' || c == u'+' || c == u'?') {
                if (last == Quantifier && c == u'?') {
                    last = Lazy;
                } else if (last != Item) {
                    refuse("a possessive or repeated quantifier", m_i - 1);
                } else {
                    last = Quantifier;
                }
                m_out += QChar(c);
                continue;
            }
            last = Item;
            if (c == u'\\') {
                escape(false);
            } else if (c == u'[') {
                characterClass();
            } else if (c == u'(') {
                group();
            } else if (c == u'{') {
                refuse("a counted repeat (or an unescaped brace)", m_i - 1);
            } else if (m_fold && isLetter(c)) {
                const char16_t both[] = {u'[', c, otherCase(c), u']'};
                m_out += QStringView(both, 4);
            } else {
                m_out += QChar(c);
            }
        }
        return m_out;
    }

private:
    bool is(qsizetype i, char16_t c) const { return i < m_p.size() && m_p[i] == c; }

    // A hyphen that makes a range of the item before it and the character after it.
    bool rangeFollows() const
    {
        return is(m_i, u'-') && m_i + 1 < m_p.size() && !is(m_i + 1, u']');
    }

    [[noreturn]] static void refuse(const std::string &what, qsizetype offset)
    {
        throw std::invalid_argument("pattern rewrite: " + what + " at offset " +
                                    std::to_string(offset) + " is not supported");
    }

    // The escape whose backslash is just before the current position.
    void escape(bool inClass)
    {
        if (m_i == m_p.size()) {
            m_out += u'\\'; // PCRE2 reports it
            return;
        }
        const char16_t e = m_p[m_i++].unicode();
        if (e == u's' && inClass) {
            m_out += kWhiteSpace;
        } else if (e == u's') {
            m_out += u"[" + QStringView(kWhiteSpace) + u']';
        } else if (e == u't' || e == u'n' || e == u'r' || !isLetterOrDigit(e)) {
            m_out += u'\\' + QChar(e);
        } else {
            refuse(std::string("the escape \\") + static_cast<char>(e), m_i - 2);
        }
    }

    // The current position is just past the opening bracket.
    void characterClass()
    {
        const qsizetype start = m_i - 1;
        if (is(m_i, u'^'))
            refuse("a negated class", start);
        if (is(m_i, u']') || is(m_i, u':') || is(m_i, u'.') || is(m_i, u'='))
            refuse("a class beginning with ], :, . or =", start);
        QString otherCases;
        // The other case of each letter of [low, high] between `from` and `to`.
        const auto foldPart = [&](char16_t low, char16_t high, char16_t from, char16_t to) {
            low = std::max(low, from);
            high = std::min(high, to);
            if (low <= high)
                otherCases += QChar(otherCase(low)) + u'-' + QChar(otherCase(high));
        };
        m_out += u'[';
        for (;;) {
            if (m_i >= m_p.size())
                refuse("a class without its closing bracket", start);
            const char16_t c = m_p[m_i++].unicode();
            if (c == u']')
                break;
            if (c == u'[')
                refuse("a [ inside a class", m_i - 1);
            if (c == u'\\') {
                escape(true);
                if (rangeFollows())
                    refuse("a range from an escape", m_i);
                continue;
            }
            if (rangeFollows()) {
                const char16_t high = m_p[m_i + 1].unicode();
                if (high == u'\\' || high == u'[')
                    refuse("a range to an escape or [", m_i + 1);
                m_i += 2;
                m_out += QChar(c) + u'-' + QChar(high);
                if (m_fold) {
                    foldPart(c, high, u'a', u'z');
                    foldPart(c, high, u'A', u'Z');
                }
                if (rangeFollows())
                    refuse("a hyphen after a range", m_i);
                continue;
            }
            // Escaped, a lone hyphen stays literal whatever is added after it.
            m_out += c == u'-' ? QStringView(u"\\-") : QStringView(&c, 1);
            if (m_fold && isLetter(c))
                otherCases += QChar(otherCase(c));
        }
        m_out += otherCases + u']';
    }

    // The current position is just past the opening parenthesis.
    void group()
    {
        if (is(m_i, u'?') && is(m_i + 1, u':')) {
            m_i += 2;
            m_out += u"(?:";
        } else if (is(m_i, u'?') || is(m_i, u'*')) {
            refuse("a group other than ( ) and (?: )", m_i - 1);
        } else {
            m_out += u'(';
        }
    }

    const QStringView m_p;
    const bool m_fold;
    qsizetype m_i = 0;
    QString m_out;
};

} // namespace

QString rewritePattern(QStringView pattern, CaseFolding folding)
{
    return Rewriter(pattern, folding).run();
}

} // namespace orvane
