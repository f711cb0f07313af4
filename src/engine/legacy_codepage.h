#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

namespace orvane {

// The system's 8-bit ("ANSI") code page. Pages are narrowed into it before they are searched and
// measured, exactly as the tool has always done on Windows. On Linux it follows the character set
// of the user's locale: UTF-8 for the usual desktop, otherwise Windows-1252.
enum class CodePage { Utf8, Windows1252 };

// The code page that a locale with this character set name ("UTF-8", "ISO-8859-1", ...) implies.
CodePage codePageForCharset(const QByteArray &charsetName);

// The code page of the user's locale as the environment names it now (LC_ALL, LC_CTYPE, LANG).
CodePage userLocaleCodePage();

// The process's legacy code page: read from the C library's locale on first use unless pinned.
CodePage legacyCodePage();
// Pins the legacy code page (tests do this so that they do not depend on the machine's locale).
void setLegacyCodePage(CodePage codePage);

// UTF-16 to the code page. Windows-1252 uses Microsoft's published best-fit substitutes and "?"
// for every other character it lacks (one "?" per code point).
QByteArray narrowToLegacy(const QString &text, CodePage codePage);
// The code page back to UTF-16. Windows-1252 maps all 256 bytes.
QString widenFromLegacy(const QByteArray &bytes, CodePage codePage);

inline QByteArray narrowToLegacy(const QString &text)
{
    return narrowToLegacy(text, legacyCodePage());
}
inline QString widenFromLegacy(const QByteArray &bytes)
{
    return widenFromLegacy(bytes, legacyCodePage());
}

// A downloaded page (UTF-8 bytes) as the text that is searched: decoded all at once as browsers
// do (a leading U+FEFF is kept, each malformed stretch becomes one U+FFFD), narrowed into the code
// page and widened again. legacySize receives the byte count of the narrowed text.
QString pageTextFromBytes(const QByteArray &page, CodePage codePage, qsizetype &legacySize);
// The same, letting go of the page's bytes as soon as they are decoded: the chain then holds the
// page's size three times over at most (its bytes or the narrowed text, and the UTF-16 text).
QString pageTextFromBytes(QByteArray &&page, CodePage codePage, qsizetype &legacySize);

namespace detail {
// Generated from Microsoft's bestfit1252.txt by scripts/gen_bestfit1252.py.
struct BestFitEntry
{
    char16_t unicode;
    unsigned char byte;
};
extern const BestFitEntry kBestFit1252[]; // sorted by unicode
extern const std::size_t kBestFit1252Size;
extern const char16_t kWindows1252ToUnicode[256];
} // namespace detail

} // namespace orvane
