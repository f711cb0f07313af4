#include "engine/legacy_codepage.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvane {

namespace {

constexpr int kUndetermined = -1;
std::atomic<int> g_codePage{kUndetermined};

// The character set of the user's locale as the environment names it (LC_ALL, LC_CTYPE, LANG),
// read without touching the process's current locale.
QByteArray userCharset()
{
    locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr)) {
        // A locale that is named but not installed: go by its name.
        for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            const QByteArray value = qgetenv(variable);
            if (!value.isEmpty()) {
                return value.mid(value.indexOf('.') + 1);
            }
        }
        return QByteArrayLiteral("ANSI_X3.4-1968");
    }
    QByteArray charset(nl_langinfo_l(CODESET, user));
    freelocale(user);
    return charset;
}

// Unicode (BMP) to Windows-1252, best fit included; '?' for everything else.
const std::array<unsigned char, 0x10000> &windows1252FromUnicode()
{
    static const auto table = [] {
        std::array<unsigned char, 0x10000> bytes{};
        bytes.fill('?');
        for (std::size_t i = 0; i < detail::kBestFit1252Size; ++i) {
            bytes[detail::kBestFit1252[i].unicode] = detail::kBestFit1252[i].byte;
        }
        return bytes;
    }();
    return table;
}

QByteArray narrowToWindows1252(const QString &text)
{
    const auto &table = windows1252FromUnicode();
    const char16_t *units = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype size = text.size();
    QByteArray bytes(size, Qt::Uninitialized);
    char *out = bytes.data();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            ++i; // one character outside the BMP: one substitute
            *out++ = '?';
            continue;
        }
        *out++ = static_cast<char>(table[unit]);
    }
    bytes.resize(out - bytes.constData());
    return bytes;
}

QString widenFromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *units = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        units[i] = detail::kWindows1252ToUnicode[static_cast<unsigned char>(bytes[i])];
    }
    return text;
}

// Pages are mostly ASCII: widens the ASCII at in[i...] sixteen bytes at a time, for as many whole
// blocks as have no byte with its high bit set.
void widenAsciiBlocks(const unsigned char *in, qsizetype size, qsizetype &i, char16_t *&out)
{
#if defined(__SSE2__)
    while (size - i >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        if (_mm_movemask_epi8(block) != 0) {
            break;
        }
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(block, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(block, zero));
        out += 16;
        i += 16;
    }
#else
    while (size - i >= 16) {
        std::uint64_t halves[2];
        std::memcpy(halves, in + i, sizeof halves);
        if (((halves[0] | halves[1]) & 0x8080808080808080U) != 0) {
            break;
        }
        for (int k = 0; k < 16; ++k) {
            out[k] = in[i + k];
        }
        out += 16;
        i += 16;
    }
#endif
}

// UTF-8 to UTF-16 as browsers decode pages. A leading U+FEFF is a character of the text like any
// other (QString::fromUtf8 takes it for a byte order mark and drops it, so a text starting with it
// did not survive narrowing and widening). Each maximal subpart of an ill-formed sequence, i.e. a
// lone or invalid byte, or the longest start of a valid sequence that is cut short, becomes one
// U+FFFD (fromUtf8 replaces each byte of a cut sequence on its own). `utf8Size` receives the bytes
// the text takes in UTF-8: a valid sequence takes its own bytes again, a U+FFFD three.
QString decodeUtf8(const QByteArray &bytes, qsizetype *utf8Size = nullptr)
{
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    // Every byte gives at most one unit (a four-byte character gives two).
    QString text(size, Qt::Uninitialized);
    char16_t *const start = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = start;
    qsizetype grown = 0; // what the replacement characters add to the size in UTF-8
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = in[i];
        if (lead < 0x80) {
            *out++ = lead;
            ++i;
            widenAsciiBlocks(in, size, i, out);
            continue;
        }
        // Well-formed two- and three-byte characters, the bulk of non-ASCII text, go straight
        // through; everything else takes the careful way below.
        if (lead >= 0xC2 && lead <= 0xDF && size - i >= 2 && (in[i + 1] & 0xC0U) == 0x80) {
            *out++ = static_cast<char16_t>(((lead & 0x1FU) << 6) | (in[i + 1] & 0x3FU));
            i += 2;
            continue;
        }
        if ((lead & 0xF0U) == 0xE0 && size - i >= 3 && (in[i + 1] & 0xC0U) == 0x80 &&
            (in[i + 2] & 0xC0U) == 0x80) {
            const char32_t code =
                ((lead & 0x0FU) << 12) | ((in[i + 1] & 0x3FU) << 6) | (in[i + 2] & 0x3FU);
            if (code >= 0x800 && (code < 0xD800 || code > 0xDFFF)) {
                *out++ = static_cast<char16_t>(code);
                i += 3;
                continue;
            }
        }
        ++i;
        // The bytes still to come and the range of the first of them: the narrower ranges after
        // E0, ED, F0 and F4 rule out overlong forms, surrogates and code points past U+10FFFF.
        int trailing = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            trailing = 1;
            code = lead & 0x1FU;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trailing = 2;
            code = lead & 0x0FU;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trailing = 3;
            code = lead & 0x07U;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            *out++ = 0xFFFD; // 80..C1 and F5..FF never start a character
            grown += 2;
            continue;
        }
        const qsizetype first = i - 1;
        for (; trailing > 0 && i < size && in[i] >= low && in[i] <= high; --trailing, ++i) {
            code = (code << 6) | (in[i] & 0x3FU);
            low = 0x80;
            high = 0xBF;
        }
        if (trailing > 0) {
            // Cut short: the byte that does not fit (if any) starts afresh.
            *out++ = 0xFFFD;
            grown += 3 - (i - first);
        } else if (code < 0x10000) {
            *out++ = static_cast<char16_t>(code);
        } else {
            *out++ = QChar::highSurrogate(code);
            *out++ = QChar::lowSurrogate(code);
        }
    }
    text.resize(out - start);
    if (utf8Size != nullptr) {
        *utf8Size = size + grown;
    }
    return text;
}

} // namespace

CodePage codePageForCharset(const QByteArray &charsetName)
{
    const QByteArray name = charsetName.toLower();
    return (name == "utf-8" || name == "utf8") ? CodePage::Utf8 : CodePage::Windows1252;
}

CodePage userLocaleCodePage()
{
    return codePageForCharset(userCharset());
}

CodePage legacyCodePage()
{
    int current = g_codePage.load(std::memory_order_acquire);
    if (current == kUndetermined) {
        const int determined = static_cast<int>(userLocaleCodePage());
        // Whoever determines it first wins; a pin always wins.
        g_codePage.compare_exchange_strong(current, determined, std::memory_order_acq_rel);
        current = g_codePage.load(std::memory_order_acquire);
    }
    return static_cast<CodePage>(current);
}

void setLegacyCodePage(CodePage codePage)
{
    g_codePage.store(static_cast<int>(codePage), std::memory_order_release);
}

QByteArray narrowToLegacy(const QString &text, CodePage codePage)
{
    return codePage == CodePage::Utf8 ? text.toUtf8() : narrowToWindows1252(text);
}

QString widenFromLegacy(const QByteArray &bytes, CodePage codePage)
{
    return codePage == CodePage::Utf8 ? decodeUtf8(bytes) : widenFromWindows1252(bytes);
}

QString pageTextFromBytes(const QByteArray &page, CodePage codePage, qsizetype &legacySize)
{
    return pageTextFromBytes(QByteArray(page), codePage, legacySize);
}

QString pageTextFromBytes(QByteArray &&page, CodePage codePage, qsizetype &legacySize)
{
    QByteArray bytes = std::move(page);
    if (codePage == CodePage::Utf8) {
        // Narrowing into UTF-8 and widening again gives back the decoded text itself.
        return decodeUtf8(bytes, &legacySize);
    }
    QString decoded = decodeUtf8(bytes);
    bytes = QByteArray();
    const QByteArray legacy = narrowToWindows1252(decoded);
    decoded = QString();
    legacySize = legacy.size();
    return widenFromWindows1252(legacy);
}

} // namespace orvane
