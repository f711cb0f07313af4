#pragma once

#include <QStringView>

namespace orvane {

// HTML's white space between attributes: space, tab, LF, FF and CR.
constexpr bool isHtmlSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

// ASCII letters compared without regard to case; everything else exactly.
bool equalsAsciiNoCase(QStringView text, QStringView lowerCaseWord);

// Reads the attributes of the tag that starts at text[from] ("<" and its name), the way a browser
// does: a name ends at white space, "/", "=" or ">"; a value is quoted with either quote or
// unquoted (up to white space or ">"); a ">" inside quotes does not end the tag. Calls
// visit(name, value) for each attribute (an attribute without "=" has an empty value). Returns the
// index just past the ">" that ends the tag, or text.size() when the text ends first. Every
// character is looked at once, so a tag that never ends costs what it is long, no more.
template <class Visit> qsizetype scanAttributes(QStringView text, qsizetype from, Visit &&visit)
{
    const qsizetype size = text.size();
    qsizetype i = from + 1; // past "<"
    while (i < size && !isHtmlSpace(text[i].unicode()) && text[i] != u'/' && text[i] != u'>') {
        ++i; // the tag name
    }
    while (true) {
        while (i < size && (isHtmlSpace(text[i].unicode()) || text[i] == u'/')) {
            ++i;
        }
        if (i >= size) {
            return size;
        }
        if (text[i] == u'>') {
            return i + 1;
        }
        const qsizetype nameStart = i++; // a name may begin with "="
        while (i < size && !isHtmlSpace(text[i].unicode()) && text[i] != u'/' && text[i] != u'>' &&
               text[i] != u'=') {
            ++i;
        }
        const QStringView name = text.sliced(nameStart, i - nameStart);
        while (i < size && isHtmlSpace(text[i].unicode())) {
            ++i;
        }
        QStringView value;
        if (i < size && text[i] == u'=') {
            ++i;
            while (i < size && isHtmlSpace(text[i].unicode())) {
                ++i;
            }
            if (i < size && (text[i] == u'"' || text[i] == u'\'')) {
                const QChar quote = text[i++];
                const qsizetype valueStart = i;
                while (i < size && text[i] != quote) {
                    ++i;
                }
                value = text.sliced(valueStart, i - valueStart);
                if (i < size) {
                    ++i; // the closing quote
                }
            } else {
                const qsizetype valueStart = i;
                while (i < size && !isHtmlSpace(text[i].unicode()) && text[i] != u'>') {
                    ++i;
                }
                value = text.sliced(valueStart, i - valueStart);
            }
        }
        visit(name, value);
    }
}

// Calls visit(token) for each run of characters between `separators` (ASCII white space and
// whatever else the caller names) in `text`.
template <class IsSeparator, class Visit>
void forEachToken(QStringView text, IsSeparator &&isSeparator, Visit &&visit)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size) {
        while (i < size && isSeparator(text[i].unicode())) {
            ++i;
        }
        const qsizetype start = i;
        while (i < size && !isSeparator(text[i].unicode())) {
            ++i;
        }
        if (i > start) {
            visit(text.sliced(start, i - start));
        }
    }
}

} // namespace orvane
