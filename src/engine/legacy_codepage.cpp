#include "engine/legacy_codepage.h"

#include <QStringDecoder>
#include <array>
#include <atomic>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>

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
    QByteArray bytes;
    bytes.reserve(text.size());
    const char16_t *units = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            ++i; // one character outside the BMP: one substitute
            bytes.append('?');
            continue;
        }
        bytes.append(static_cast<char>(table[unit]));
    }
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

// UTF-8 to UTF-16 keeping a leading U+FEFF: it is a character of the text like any other, and
// QString::fromUtf8 would take it for a byte order mark and drop it (so that a text starting with
// it did not survive narrowing and widening).
QString widenFromUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// Bytes that `text` takes in UTF-8 (a lone surrogate is written as one replacement character).
qsizetype utf8Length(const QString &text)
{
    qsizetype length = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            length += 1;
        } else if (unit < 0x800) {
            length += 2;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size &&
                   text.at(i + 1).isLowSurrogate()) {
            length += 4;
            ++i;
        } else {
            length += 3;
        }
    }
    return length;
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
    return codePage == CodePage::Utf8 ? widenFromUtf8(bytes) : widenFromWindows1252(bytes);
}

QString pageTextFromBytes(const QByteArray &page, CodePage codePage, qsizetype &legacySize)
{
    QString decoded = QString::fromUtf8(page);
    if (codePage == CodePage::Utf8) {
        // Narrowing into UTF-8 and widening again gives back the decoded text itself.
        legacySize = utf8Length(decoded);
        return decoded;
    }
    const QByteArray legacy = narrowToWindows1252(decoded);
    decoded = QString(); // the page is held three times over at most, not four
    legacySize = legacy.size();
    return widenFromWindows1252(legacy);
}

} // namespace orvane
