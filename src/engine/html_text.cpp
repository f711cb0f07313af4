#include "engine/html_text.h"

#include "engine/html_tag.h"
#include "engine/legacy_codepage.h"

#include <array>

namespace orvane {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;
// Longer than any name below, so that a long run of letters is not read to its end.
constexpr qsizetype kMaxNameLength = 8;

// U+00A0 to U+00FF, in order.
constexpr std::array<const char16_t *, 96> kLatin1Names = {
    u"nbsp",   u"iexcl",  u"cent",   u"pound",  u"curren", u"yen",    u"brvbar", u"sect",
    u"uml",    u"copy",   u"ordf",   u"laquo",  u"not",    u"shy",    u"reg",    u"macr",
    u"deg",    u"plusmn", u"sup2",   u"sup3",   u"acute",  u"micro",  u"para",   u"middot",
    u"cedil",  u"sup1",   u"ordm",   u"raquo",  u"frac14", u"frac12", u"frac34", u"iquest",
    u"Agrave", u"Aacute", u"Acirc",  u"Atilde", u"Auml",   u"Aring",  u"AElig",  u"Ccedil",
    u"Egrave", u"Eacute", u"Ecirc",  u"Euml",   u"Igrave", u"Iacute", u"Icirc",  u"Iuml",
    u"ETH",    u"Ntilde", u"Ograve", u"Oacute", u"Ocirc",  u"Otilde", u"Ouml",   u"times",
    u"Oslash", u"Ugrave", u"Uacute", u"Ucirc",  u"Uuml",   u"Yacute", u"THORN",  u"szlig",
    u"agrave", u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",  u"aelig",  u"ccedil",
    u"egrave", u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc",  u"iuml",
    u"eth",    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",   u"divide",
    u"oslash", u"ugrave", u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn",  u"yuml",
};

struct NamedReference
{
    const char16_t *name;
    char16_t character;
};

constexpr NamedReference kOtherNames[] = {
    {u"quot", 0x0022},   {u"amp", 0x0026},    {u"apos", 0x0027},  {u"lt", 0x003C},
    {u"gt", 0x003E},     {u"OElig", 0x0152},  {u"oelig", 0x0153}, {u"Scaron", 0x0160},
    {u"scaron", 0x0161}, {u"Yuml", 0x0178},   {u"fnof", 0x0192},  {u"circ", 0x02C6},
    {u"tilde", 0x02DC},  {u"ensp", 0x2002},   {u"emsp", 0x2003},  {u"thinsp", 0x2009},
    {u"zwnj", 0x200C},   {u"zwj", 0x200D},    {u"lrm", 0x200E},   {u"rlm", 0x200F},
    {u"ndash", 0x2013},  {u"mdash", 0x2014},  {u"lsquo", 0x2018}, {u"rsquo", 0x2019},
    {u"sbquo", 0x201A},  {u"ldquo", 0x201C},  {u"rdquo", 0x201D}, {u"bdquo", 0x201E},
    {u"dagger", 0x2020}, {u"Dagger", 0x2021}, {u"bull", 0x2022},  {u"hellip", 0x2026},
    {u"permil", 0x2030}, {u"prime", 0x2032},  {u"Prime", 0x2033}, {u"lsaquo", 0x2039},
    {u"rsaquo", 0x203A}, {u"euro", 0x20AC},   {u"trade", 0x2122},
};

bool isAsciiAlnum(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// -1 when c is no digit of the base.
int digitValue(char16_t c, int base)
{
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (base == 16 && c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (base == 16 && c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

char32_t namedCharacter(QStringView name)
{
    for (std::size_t i = 0; i < kLatin1Names.size(); ++i) {
        if (name == QStringView(kLatin1Names[i])) {
            return static_cast<char32_t>(0xA0 + i);
        }
    }
    for (const NamedReference &entry : kOtherNames) {
        if (name == QStringView(entry.name)) {
            return entry.character;
        }
    }
    return 0;
}

// What a numeric reference stands for, by HTML's rules.
char32_t numericCharacter(char32_t value)
{
    if (value == 0 || value > kMaxCodePoint || (value >= 0xD800 && value <= 0xDFFF)) {
        return kReplacement;
    }
    if (value >= 0x80 && value <= 0x9F) {
        return detail::kWindows1252ToUnicode[value];
    }
    return value;
}

// Reads the reference at text[at] ("&"). On success returns its character and sets `end` past
// its ";"; otherwise returns 0.
char32_t readReference(QStringView text, qsizetype at, qsizetype &end)
{
    const qsizetype size = text.size();
    qsizetype i = at + 1;
    if (i < size && text[i] == u'#') {
        ++i;
        int base = 10;
        if (i < size && (text[i] == u'x' || text[i] == u'X')) {
            base = 16;
            ++i;
        }
        const qsizetype digitsStart = i;
        char32_t value = 0;
        int digit = 0;
        while (i < size && (digit = digitValue(text[i].unicode(), base)) >= 0) {
            // Past the last code point it only has to stay past it, not grow without bound.
            if (value <= kMaxCodePoint) {
                value = value * static_cast<char32_t>(base) + static_cast<char32_t>(digit);
            }
            ++i;
        }
        if (i == digitsStart || i >= size || text[i] != u';') {
            return 0;
        }
        end = i + 1;
        return numericCharacter(value);
    }
    const qsizetype nameStart = i;
    while (i < size && i - nameStart <= kMaxNameLength && isAsciiAlnum(text[i].unicode())) {
        ++i;
    }
    if (i == nameStart || i >= size || text[i] != u';') {
        return 0;
    }
    const char32_t character = namedCharacter(text.sliced(nameStart, i - nameStart));
    if (character != 0) {
        end = i + 1;
    }
    return character;
}

} // namespace

QString browserText(QStringView text)
{
    QString result;
    result.reserve(text.size());
    bool pendingSpace = false; // a run of white space, written only once something follows it
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        char32_t character = text[i].unicode();
        qsizetype next = i + 1;
        if (character == u'&') {
            qsizetype end = 0;
            if (const char32_t decoded = readReference(text, i, end); decoded != 0) {
                character = decoded;
                next = end;
            }
        }
        if (character < 0x80 && isHtmlSpace(static_cast<char16_t>(character))) {
            pendingSpace = !result.isEmpty();
        } else {
            if (pendingSpace) {
                result.append(u' ');
                pendingSpace = false;
            }
            // Surrogates of the text itself pass through one unit at a time, as they came.
            if (character > 0xFFFF) {
                result.append(QChar::highSurrogate(character));
                result.append(QChar::lowSurrogate(character));
            } else {
                result.append(QChar(static_cast<char16_t>(character)));
            }
        }
        i = next;
    }
    return result;
}

} // namespace orvane
