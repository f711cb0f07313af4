#include "engine/legacy_codepage.h"
// Placeholder until the conversions land.
namespace orvane {
CodePage codePageForCharset(const QByteArray &) { return CodePage::Utf8; }
CodePage legacyCodePage() { return CodePage::Utf8; }
void setLegacyCodePage(CodePage) {}
QByteArray narrowToLegacy(const QString &text, CodePage) { return text.toUtf8(); }
QString widenFromLegacy(const QByteArray &bytes, CodePage) { return QString::fromUtf8(bytes); }
} // namespace orvane
namespace orvane {
QString pageTextFromBytes(const QByteArray &page, CodePage, qsizetype &legacySize)
{
    legacySize = page.size();
    return QString::fromUtf8(page);
}
} // namespace orvane
