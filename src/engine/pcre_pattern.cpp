#include "engine/pcre_pattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <algorithm>
#include <iterator>
#include <locale.h>
#include <new>
#include <optional>
#include <pcre2.h>
#include <string>

using namespace Qt::StringLiterals;

namespace orvane {
namespace {

// What "\s" must mean: space, tab, LF, FF and CR; PCRE2's own "\s" also takes VT.
constexpr char16_t kWhiteSpaceItems[] = u"\\t\\n\\f\\r ";

bool isAsciiLetter(char32_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isDigit(char32_t c)
{
    return c >= u'0' && c <= u'9';
}
bool isHexDigit(char32_t c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
char16_t otherCase(char16_t letter)
{
    return letter ^ 0x20;
}

int hexValue(char16_t c)
{
    if (isDigit(c))
        return c - u'0';
    return (c | 0x20) - u'a' + 10;
}

// One pass over the pattern, copying what needs no change and rewriting "\s" and, for ASCII-only
// case folding, the letters. Tracks just enough syntax to tell literals from escapes, classes and
// group headers.
class Rewriter
{
public:
    Rewriter(const QString &pattern, CaseFolding folding)
        : m_p(pattern), m_asciiCase(folding == CaseFolding::AsciiOnly)
    {}

    QString run()
    {
        m_out.reserve(m_p.size() * 3);
        while (m_i < m_p.size()) {
            const char16_t c = at(m_i);
            if (c == u'\\') {
                escape();
            } else if (c == u'[') {
                characterClass();
            } else if (c == u'(') {
                groupStart();
            } else if (isAsciiLetter(c)) {
                ++m_i;
                letter(c);
            } else {
                ++m_i;
                put(QStringView(&m_p.constData()[m_i - 1], 1));
            }
        }
        flushLetters();
        return m_out;
    }

private:
    struct ClassItem
    {
        QString text;                  // as it goes into the rewritten class
        std::optional<char32_t> value; // the character, when the item is one character
    };

    char16_t at(qsizetype index) const { return index < m_p.size() ? m_p[index].unicode() : 0; }

    [[noreturn]] static void unsupported(const char *what)
    {
        throw std::invalid_argument(std::string("pattern rewrite: ") + what + " not supported");
    }

    void flushLetters()
    {
        if (m_letters.isEmpty())
            return;
        m_out += u"(?-i:" + m_letters + u')';
        m_letters.clear();
    }

    void put(const QString &text) { put(QStringView(text)); }
    void put(QStringView text)
    {
        flushLetters();
        m_out += text;
    }

    // Copies from the current position through the first `closer` at or after `searchFrom`.
    void copyThrough(char16_t closer, qsizetype searchFrom)
    {
        qsizetype end = m_p.indexOf(QChar(closer), searchFrom);
        end = end < 0 ? m_p.size() : end + 1;
        put(QStringView(m_p).sliced(m_i, end - m_i));
        m_i = end;
    }

    void copy(qsizetype count)
    {
        count = std::min(count, m_p.size() - m_i);
        put(QStringView(m_p).sliced(m_i, count));
        m_i += count;
    }

    bool quantifierFollows() const
    {
        const char16_t c = at(m_i);
        if (c == u'*' || c == u'+' || c == u'?')
            return true;
        if (c != u'{')
            return false;
        // {n}, {n,} or {n,m}; anything else is a literal brace.
        qsizetype j = m_i + 1;
        if (!isDigit(at(j)))
            return false;
        while (isDigit(at(j)))
            ++j;
        if (at(j) == u',') {
            ++j;
            while (isDigit(at(j)))
                ++j;
        }
        return at(j) == u'}';
    }

    // A literal letter; the current position is just past it.
    void letter(char16_t c)
    {
        if (!m_asciiCase) {
            put(QStringView(&c, 1));
            return;
        }
        const char16_t pair[] = {u'[', c, otherCase(c), u']'};
        if (quantifierFollows()) {
            // The quantifier must apply to this letter alone.
            flushLetters();
            m_out += u"(?-i:" + QStringView(pair, 4) + u')';
        } else {
            m_letters += QStringView(pair, 4);
        }
    }

    // \xhh or \x{h...} starting at `index` (the backslash); returns the value and moves past it.
    char32_t hexEscape(qsizetype &index) const
    {
        qsizetype j = index + 2;
        char32_t value = 0;
        if (at(j) == u'{') {
            ++j;
            while (isHexDigit(at(j)))
                value = value * 16 + hexValue(at(j++));
            if (at(j) == u'}')
                ++j;
        } else {
            for (int n = 0; n < 2 && isHexDigit(at(j)); ++n)
                value = value * 16 + hexValue(at(j++));
        }
        index = j;
        return value;
    }

    void escape()
    {
        const char16_t c = at(m_i + 1);
        switch (c) {
        case 0:
            copy(1); // a trailing backslash: PCRE2 reports it
            return;
        case u's':
            put(u"[" + QStringView(kWhiteSpaceItems) + u']');
            m_i += 2;
            return;
        case u'S':
            put(u"[^" + QStringView(kWhiteSpaceItems) + u']');
            m_i += 2;
            return;
        case u'Q':
            m_i += 2;
            quoted();
            return;
        case u'x': {
            qsizetype end = m_i;
            const char32_t value = hexEscape(end);
            if (m_asciiCase && isAsciiLetter(value)) {
                m_i = end;
                letter(static_cast<char16_t>(value));
            } else {
                copy(end - m_i);
            }
            return;
        }
        case u'o':
        case u'p':
        case u'P':
        case u'N':
        case u'g':
        case u'k':
            if (at(m_i + 2) == u'{') {
                copyThrough(u'}', m_i + 3);
            } else if ((c == u'k' || c == u'g') && (at(m_i + 2) == u'<' || at(m_i + 2) == u'\'')) {
                copyThrough(at(m_i + 2) == u'<' ? u'>' : u'\'', m_i + 3);
            } else if (c == u'p' || c == u'P') {
                copy(3);
            } else {
                copy(2);
            }
            return;
        case u'c':
            copy(3);
            return;
        default:
            // Every other escape (\d, \b, \t, \\, \/, back references, ...) is copied; the
            // character after an escaped backslash is then read as a literal of its own.
            copy(2);
            return;
        }
    }

    // After \Q: literal text up to \E. Each character becomes an atom of its own so that a
    // quantifier after \E still applies to the last one.
    void quoted()
    {
        while (m_i < m_p.size()) {
            const char16_t c = at(m_i);
            if (c == u'\\' && at(m_i + 1) == u'E') {
                m_i += 2;
                return;
            }
            ++m_i;
            if (isAsciiLetter(c)) {
                if (m_asciiCase) {
                    flushLetters();
                    const char16_t pair[] = {u'[', c, otherCase(c), u']'};
                    m_out += u"(?-i:" + QStringView(pair, 4) + u')';
                } else {
                    put(QStringView(&c, 1));
                }
            } else if (c < 0x80 && !isDigit(c)) {
                const char16_t escaped[] = {u'\\', c};
                put(QStringView(escaped, 2));
            } else {
                put(QStringView(&c, 1));
            }
        }
    }

    void groupStart()
    {
        const char16_t next = at(m_i + 1);
        if (next == u'*') {
            copyThrough(u')', m_i + 2); // (*VERB) and start-of-pattern options
            return;
        }
        if (next != u'?') {
            copy(1);
            return;
        }
        const char16_t c = at(m_i + 2);
        const char16_t after = at(m_i + 3);
        if (c == u':' || c == u'=' || c == u'!' || c == u'>' || c == u'|') {
            copy(3);
        } else if (c == u'<' && (after == u'=' || after == u'!')) {
            copy(4);
        } else if (c == u'<') {
            copyThrough(u'>', m_i + 3);
        } else if (c == u'\'') {
            copyThrough(u'\'', m_i + 3);
        } else if (c == u'P' && after == u'<') {
            copyThrough(u'>', m_i + 4);
        } else if (c == u'#' || c == u'P' || c == u'&' || c == u'R' || c == u'C' || c == u'+' ||
                   isDigit(c) || (c == u'-' && isDigit(after))) {
            copyThrough(u')', m_i + 3);
        } else if (c == u'(') {
            if (after == u'?' || after == u'*') {
                copy(2); // the condition is an assertion group, read as such next
            } else {
                copyThrough(u')', m_i + 3);
            }
        } else {
            // Option settings such as (?s) or (?-m:...).
            qsizetype j = m_i + 2;
            bool caseOption = false;
            while (isAsciiLetter(at(j)) || at(j) == u'-' || at(j) == u'^') {
                caseOption = caseOption || at(j) == u'i';
                ++j;
            }
            if (caseOption && m_asciiCase)
                unsupported("an inline case option");
            copy(j + 1 - m_i);
        }
    }

    // One item inside a class, starting at `j`; moves `j` past it.
    ClassItem classItem(qsizetype &j) const
    {
        const char16_t c = at(j);
        if (c == u'[' && (at(j + 1) == u':' || at(j + 1) == u'.' || at(j + 1) == u'='))
            unsupported("a POSIX class");
        if (c != u'\\') {
            qsizetype length = 1;
            char32_t value = c;
            if (QChar::isHighSurrogate(c) && QChar::isLowSurrogate(at(j + 1))) {
                value = QChar::surrogateToUcs4(c, at(j + 1));
                length = 2;
            }
            ClassItem item{QStringView(m_p).sliced(j, length).toString(), value};
            j += length;
            return item;
        }
        const char16_t e = at(j + 1);
        const qsizetype start = j;
        auto valueItem = [&](char32_t value) {
            return ClassItem{QStringView(m_p).sliced(start, j - start).toString(), value};
        };
        switch (e) {
        case u's':
            j += 2;
            return ClassItem{QString::fromUtf16(kWhiteSpaceItems), std::nullopt};
        case u'S':
            unsupported("\\S inside a class");
        case u'Q':
        case u'E':
            unsupported("\\Q or \\E inside a class");
        case u'x':
            return valueItem(hexEscape(j));
        case u't':
            j += 2;
            return valueItem(u'\t');
        case u'n':
            j += 2;
            return valueItem(u'\n');
        case u'r':
            j += 2;
            return valueItem(u'\r');
        case u'f':
            j += 2;
            return valueItem(u'\f');
        case u'e':
            j += 2;
            return valueItem(0x1B);
        case u'a':
            j += 2;
            return valueItem(0x07);
        case u'b':
            j += 2;
            return valueItem(0x08);
        case u'c':
            j += 3;
            return valueItem((at(j - 1) & ~0x20) ^ 0x40);
        case u'p':
        case u'P': {
            qsizetype end = j + 3;
            if (at(j + 2) == u'{') {
                end = m_p.indexOf(u'}', j + 3);
                end = end < 0 ? m_p.size() : end + 1;
            }
            ClassItem item{QStringView(m_p).sliced(j, std::min(end, m_p.size()) - j).toString(),
                           std::nullopt};
            j = std::min(end, m_p.size());
            return item;
        }
        default:
            break;
        }
        if (e >= u'0' && e <= u'7') {
            char32_t value = 0;
            j += 1;
            for (int n = 0; n < 3 && at(j) >= u'0' && at(j) <= u'7'; ++n)
                value = value * 8 + (at(j++) - u'0');
            return valueItem(value);
        }
        j += 2;
        if (isAsciiLetter(e) || isDigit(e) || e == 0)
            return ClassItem{QStringView(m_p).sliced(start, j - start).toString(),
                             std::nullopt}; // \d, \w, \h, ...: no single character
        return valueItem(e);                // an escaped mark stands for itself
    }

    void characterClass()
    {
        qsizetype j = m_i + 1;
        const bool negated = at(j) == u'^';
        if (negated)
            ++j;
        QString body;
        QString otherCases;
        bool hasLetter = false;
        bool hasNonAscii = false;
        bool endsWithBareHyphen = false;
        bool first = true;

        auto noteValue = [&](char32_t value) {
            if (isAsciiLetter(value)) {
                hasLetter = true;
                otherCases += QChar(otherCase(static_cast<char16_t>(value)));
            } else if (value > 0x7F) {
                hasNonAscii = true;
            }
        };
        auto noteRange = [&](char32_t low, char32_t high) {
            if (low > high)
                return; // PCRE2 reports it
            const auto addPart = [&](char32_t from, char32_t to) {
                const char32_t lo = std::max(low, from);
                const char32_t hi = std::min(high, to);
                if (lo > hi)
                    return;
                hasLetter = true;
                otherCases += QChar(otherCase(static_cast<char16_t>(lo)));
                otherCases += u'-';
                otherCases += QChar(otherCase(static_cast<char16_t>(hi)));
            };
            addPart(u'a', u'z');
            addPart(u'A', u'Z');
            if (high > 0x7F)
                hasNonAscii = true;
        };

        for (;;) {
            if (j >= m_p.size())
                unsupported("a class without its closing bracket");
            if (at(j) == u']' && !first) {
                ++j;
                break;
            }
            first = false;
            ClassItem item = classItem(j);
            if (item.value && at(j) == u'-' && j + 1 < m_p.size() && at(j + 1) != u']') {
                ++j;
                ClassItem high = classItem(j);
                body += item.text + u'-' + high.text;
                if (high.value) {
                    noteRange(*item.value, *high.value);
                } else {
                    noteValue(*item.value); // PCRE2 takes the hyphen literally here
                }
                endsWithBareHyphen = false;
                continue;
            }
            body += item.text;
            if (item.value)
                noteValue(*item.value);
            endsWithBareHyphen = item.text == u"-";
        }

        const QString opening = negated ? u"[^"_s : u"["_s;
        if (m_asciiCase && hasLetter) {
            if (hasNonAscii)
                unsupported("a class mixing ASCII letters and other characters");
            if (endsWithBareHyphen) {
                // The added letters must not turn the last hyphen into a range.
                body.chop(1);
                body += u"\\-";
            }
            put(u"(?-i:" + opening + body + otherCases + u"])");
        } else {
            put(opening + body + u']');
        }
        m_i = j;
    }

    const QString &m_p;
    const bool m_asciiCase;
    qsizetype m_i = 0;
    QString m_out;
    QString m_letters; // a run of letters waiting for its case-sensitive group
};

QString errorText(int code)
{
    PCRE2_UCHAR16 buffer[256];
    const int length = pcre2_get_error_message(code, buffer, std::size(buffer));
    if (length < 0)
        return u"PCRE2 error %1"_s.arg(code);
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), length);
}

// Character tables as the "C" locale classifies characters, whatever locale the process (or Qt,
// from the environment) has set. Only this thread's locale is switched, and only briefly.
const uint8_t *makeCLocaleTables()
{
    locale_t cLocale = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr))
        throw PcreError("cannot open the C locale", 0);
    const locale_t previous = uselocale(cLocale);
    const uint8_t *tables = pcre2_maketables(nullptr);
    uselocale(previous);
    freelocale(cLocale);
    if (tables == nullptr)
        throw std::bad_alloc();
    return tables;
}

// Index of the first surrogate code unit, or the size when there is none (the usual page). Scans
// in blocks without an early exit so that the compiler can vectorise it: Qt's own validity check
// walks code point by code point and costs a tenth of a whole search.
qsizetype findSurrogate(QStringView text)
{
    constexpr qsizetype kBlock = 512;
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype block = 0; block < size; block += kBlock) {
        const qsizetype end = std::min(size, block + kBlock);
        bool any = false;
        for (qsizetype i = block; i < end; ++i)
            any |= (units[i] & 0xF800) == 0xD800;
        if (any) {
            for (qsizetype i = block; i < end; ++i) {
                if ((units[i] & 0xF800) == 0xD800)
                    return i;
            }
        }
    }
    return size;
}

} // namespace

QString rewritePattern(const QString &pattern, CaseFolding folding)
{
    return Rewriter(pattern, folding).run();
}

struct PcrePattern::Impl
{
    QString text;
    const uint8_t *tables = nullptr;
    pcre2_code *code = nullptr;
    bool jit = false;

    ~Impl()
    {
        pcre2_code_free(code);
        if (tables != nullptr)
            pcre2_maketables_free(nullptr, tables);
    }
};

PcrePattern::PcrePattern(const QString &pattern, CaseFolding folding, JitMode jit)
    : d(std::make_unique<Impl>())
{
    d->text = rewritePattern(pattern, folding);
    d->tables = makeCLocaleTables();

    std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> context(
        pcre2_compile_context_create(nullptr), &pcre2_compile_context_free);
    if (!context)
        throw std::bad_alloc();
    pcre2_set_character_tables(context.get(), d->tables);
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANY);

    int error = 0;
    PCRE2_SIZE offset = 0;
    d->code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(d->text.utf16()), d->text.size(),
                      PCRE2_CASELESS | PCRE2_DOTALL | PCRE2_UTF, &error, &offset, context.get());
    if (d->code == nullptr) {
        throw PcreError(
            QString(errorText(error) + u" at offset " + QString::number(offset)).toStdString(),
            error);
    }

    // Without the JIT the interpreter is quadratic on some pages (a run of "<a" without " href"),
    // so it is only the fallback for machines that have no JIT.
    uint32_t jitAvailable = 0;
    pcre2_config(PCRE2_CONFIG_JIT, &jitAvailable);
    if (jitAvailable != 0 && jit == JitMode::IfAvailable)
        d->jit = pcre2_jit_compile(d->code, PCRE2_JIT_COMPLETE) == 0;
}

PcrePattern::~PcrePattern() = default;

bool PcrePattern::usesJit() const
{
    return d->jit;
}

QString PcrePattern::compiledText() const
{
    return d->text;
}

struct PcrePattern::Searcher::Impl
{
    const pcre2_code *code = nullptr;
    QString subject;  // as given: groups are cut from it
    QString searched; // the subject, or a copy with lone surrogates replaced
    pcre2_match_data *matchData = nullptr;
    pcre2_match_context *matchContext = nullptr;
    bool jit = false;
    pcre2_jit_stack *jitStack = nullptr; // made when a search first needs more than 32 KiB
    int result = PCRE2_ERROR_NOMATCH;

    ~Impl()
    {
        pcre2_match_data_free(matchData);
        pcre2_match_context_free(matchContext);
        pcre2_jit_stack_free(jitStack);
    }
};

PcrePattern::Searcher::Searcher(const PcrePattern &pattern, const QString &subject)
    : d(std::make_unique<Impl>())
{
    d->code = pattern.d->code;
    d->subject = subject;
    d->searched = subject;
    // Checked once here so that every search can skip PCRE2's own check, which would scan the
    // rest of the page again on each call of a find-all loop.
    const qsizetype firstSurrogate = findSurrogate(subject);
    if (firstSurrogate < subject.size()) {
        QChar *units = d->searched.data(); // detaches: the caller's text stays as it is
        const qsizetype size = d->searched.size();
        for (qsizetype i = firstSurrogate; i < size; ++i) {
            if (units[i].isHighSurrogate() && i + 1 < size && units[i + 1].isLowSurrogate()) {
                ++i;
            } else if (units[i].isSurrogate()) {
                units[i] = QChar::ReplacementCharacter;
            }
        }
    }

    d->matchContext = pcre2_match_context_create(nullptr);
    d->matchData = pcre2_match_data_create_from_pattern(d->code, nullptr);
    if (d->matchContext == nullptr || d->matchData == nullptr)
        throw std::bad_alloc();
    pcre2_set_match_limit(d->matchContext, kMatchLimit);
    d->jit = pattern.usesJit();
}

PcrePattern::Searcher::~Searcher() = default;

bool PcrePattern::Searcher::find(qsizetype from)
{
    const qsizetype size = d->searched.size();
    const QChar *units = d->searched.constData();
    if (from < 0 || from > size) {
        d->result = PCRE2_ERROR_BADOFFSET;
        return false;
    }
    if (from > 0 && from < size && units[from].isLowSurrogate() &&
        units[from - 1].isHighSurrogate()) {
        d->result = PCRE2_ERROR_BADUTFOFFSET; // PCRE2 no longer checks this for us
        return false;
    }
    const auto search = [&] {
        return pcre2_match(d->code, reinterpret_cast<PCRE2_SPTR>(units), size, from,
                           PCRE2_NOTEMPTY | PCRE2_NO_UTF_CHECK, d->matchData, d->matchContext);
    };
    d->result = search();
    if (d->result == PCRE2_ERROR_JIT_STACKLIMIT && d->jit && d->jitStack == nullptr) {
        d->jitStack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        if (d->jitStack != nullptr) {
            pcre2_jit_stack_assign(d->matchContext, nullptr, d->jitStack);
            d->result = search();
        }
    }
    return d->result > 0;
}

bool PcrePattern::Searcher::gaveUp() const
{
    return d->result <= 0 && d->result != PCRE2_ERROR_NOMATCH;
}

int PcrePattern::Searcher::lastResult() const
{
    return d->result;
}

qsizetype PcrePattern::Searcher::matchStart() const
{
    return static_cast<qsizetype>(pcre2_get_ovector_pointer(d->matchData)[0]);
}

qsizetype PcrePattern::Searcher::matchEnd() const
{
    return static_cast<qsizetype>(pcre2_get_ovector_pointer(d->matchData)[1]);
}

int PcrePattern::Searcher::groupCount() const
{
    return d->result > 0 ? d->result : 0;
}

QString PcrePattern::Searcher::group(int index) const
{
    return groupView(index).toString();
}

QStringView PcrePattern::Searcher::groupView(int index) const
{
    if (index < 0 || index >= groupCount())
        throw std::out_of_range("no such group in the match");
    const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(d->matchData);
    const PCRE2_SIZE start = ovector[std::ptrdiff_t{2} * index];
    const PCRE2_SIZE end = ovector[std::ptrdiff_t{2} * index + 1];
    if (start == PCRE2_UNSET)
        return {};
    return QStringView(d->subject)
        .sliced(static_cast<qsizetype>(start), static_cast<qsizetype>(end - start));
}

QString PcrePattern::removeAll(const QString &subject) const
{
    Searcher searcher(*this, subject);
    QString result;
    qsizetype position = 0;
    while (searcher.find(position)) {
        result += QStringView(subject).sliced(position, searcher.matchStart() - position);
        position = searcher.matchEnd();
    }
    result += QStringView(subject).sliced(position);
    return result;
}

} // namespace orvane
