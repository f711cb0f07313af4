#include "engine/legacy_codepage.h"

#include <QRandomGenerator>
#include <cstdlib>
#include <gtest/gtest.h>

namespace orvane {
namespace {

QString utf16(const char16_t *text)
{
    return QString::fromUtf16(text);
}

TEST(Windows1252, WideningMapsEveryByteAsTheCodePageDoes)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all.append(static_cast<char>(b));
    }
    const QString wide = widenFromLegacy(all, CodePage::Windows1252);
    ASSERT_EQ(wide.size(), 256);
    EXPECT_EQ(wide.at(0x41), QChar(u'A'));
    EXPECT_EQ(wide.at(0x80), QChar(0x20AC)); // euro sign
    EXPECT_EQ(wide.at(0x81), QChar(0x0081)); // unassigned bytes keep their C1 value
    EXPECT_EQ(wide.at(0x8D), QChar(0x008D));
    EXPECT_EQ(wide.at(0x92), QChar(0x2019));
    EXPECT_EQ(wide.at(0x9F), QChar(0x0178));
    EXPECT_EQ(wide.at(0xA0), QChar(0x00A0));
    EXPECT_EQ(wide.at(0xFF), QChar(0x00FF));
    // Every byte survives the way back.
    EXPECT_EQ(narrowToLegacy(wide, CodePage::Windows1252), all);
}

struct NarrowCase
{
    const char16_t *text;
    const char *expected;
};

class Windows1252Narrowing : public ::testing::TestWithParam<NarrowCase>
{};

TEST_P(Windows1252Narrowing, UsesBestFitOrQuestionMark)
{
    const NarrowCase &c = GetParam();
    EXPECT_EQ(narrowToLegacy(utf16(c.text), CodePage::Windows1252), QByteArray(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Windows1252Narrowing,
    ::testing::Values(NarrowCase{u"plain ascii <a href='x'>", "plain ascii <a href='x'>"},
                      NarrowCase{u"caf\u00e9", "caf\xe9"},
                      NarrowCase{u"\u20ac \u2019 \u201c \u2026", "\x80 \x92 \x93 \x85"},
                      NarrowCase{u"\u0100\u0101\u0141", "AaL"}, // best fit drops accents
                      NarrowCase{u"\uff41\uff42", "ab"},        // fullwidth letters
                      NarrowCase{u"\u4e2d\u6587", "??"},        // nothing fits
                      NarrowCase{u"\u0080", "?"},               // not in the code page
                      NarrowCase{u"a\U0001F600b", "a?b"},       // one character, one '?'
                      NarrowCase{u"a\xd800"
                                 u"b",
                                 "a?b"}, // lone surrogate
                      NarrowCase{u"", ""}));

TEST(Utf8CodePage, NarrowingAndWideningAreUtf8)
{
    const QString text = utf16(u"caf\u00e9 \u4e2d \U0001F600");
    const QByteArray bytes = narrowToLegacy(text, CodePage::Utf8);
    EXPECT_EQ(bytes, text.toUtf8());
    EXPECT_EQ(widenFromLegacy(bytes, CodePage::Utf8), text);
}

TEST(LegacyCodePage, FollowsTheCharsetOfTheLocale)
{
    EXPECT_EQ(codePageForCharset("UTF-8"), CodePage::Utf8);
    EXPECT_EQ(codePageForCharset("utf8"), CodePage::Utf8);
    EXPECT_EQ(codePageForCharset("ISO-8859-1"), CodePage::Windows1252);
    EXPECT_EQ(codePageForCharset("ANSI_X3.4-1968"), CodePage::Windows1252);

    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "C.UTF-8");
    EXPECT_EQ(userLocaleCodePage(), CodePage::Utf8);
    qputenv("LC_ALL", "C");
    EXPECT_EQ(userLocaleCodePage(), CodePage::Windows1252);
    qputenv("LC_ALL", "xx_XX.UTF-8"); // named but not installed
    EXPECT_EQ(userLocaleCodePage(), CodePage::Utf8);
    if (saved.isNull()) {
        qunsetenv("LC_ALL");
    } else {
        qputenv("LC_ALL", saved);
    }
}

TEST(LegacyCodePage, PinnedCodePageIsWhatEveryoneUses)
{
    setLegacyCodePage(CodePage::Windows1252);
    EXPECT_EQ(legacyCodePage(), CodePage::Windows1252);
    EXPECT_EQ(narrowToLegacy(utf16(u"\u0100")), QByteArray("A"));
    setLegacyCodePage(CodePage::Utf8);
    EXPECT_EQ(legacyCodePage(), CodePage::Utf8);
    EXPECT_EQ(narrowToLegacy(utf16(u"\u0100")), QByteArray("\xc4\x80"));
}

TEST(PageText, SizeCountsTheNarrowedBytes)
{
    const QByteArray page = QString(utf16(u"<p>caf\u00e9 \u0100 \u4e2d</p>")).toUtf8();
    qsizetype size = -1;

    const QString ansi = pageTextFromBytes(page, CodePage::Windows1252, size);
    EXPECT_EQ(ansi, utf16(u"<p>caf\u00e9 A ?</p>")); // substitutes reach the search
    EXPECT_EQ(size, ansi.size());
    EXPECT_LT(size, page.size());

    const QString utf8 = pageTextFromBytes(page, CodePage::Utf8, size);
    EXPECT_EQ(utf8, QString::fromUtf8(page));
    EXPECT_EQ(size, page.size());

    EXPECT_EQ(pageTextFromBytes("plain", CodePage::Windows1252, size), QStringLiteral("plain"));
    EXPECT_EQ(size, 5);
    EXPECT_TRUE(pageTextFromBytes({}, CodePage::Utf8, size).isEmpty());
    EXPECT_EQ(size, 0);
}

TEST(PageText, MalformedBytesBecomeReplacementCharacters)
{
    const QByteArray page("a\xff"
                          "b\xe2\x82"
                          "c",
                          6); // a stray byte and a cut sequence
    qsizetype size = -1;
    const QString utf8 = pageTextFromBytes(page, CodePage::Utf8, size);
    // Each byte of the cut sequence is replaced on its own.
    EXPECT_EQ(utf8, QString::fromUtf16(u"a\ufffdb\ufffd\ufffdc"));
    EXPECT_EQ(size, utf8.toUtf8().size());
    const QString ansi = pageTextFromBytes(page, CodePage::Windows1252, size);
    EXPECT_EQ(ansi, QStringLiteral("a?b??c"));
    EXPECT_EQ(size, 6);
}

// Whatever the bytes, the shortcut for UTF-8 must agree with narrowing and widening step by step.
TEST(PageText, AgreesWithStepByStepConversionOnRandomBytes)
{
    QRandomGenerator random(1234);
    for (int round = 0; round < 300; ++round) {
        QByteArray page(static_cast<qsizetype>(random.bounded(200)), Qt::Uninitialized);
        for (char &byte : page) {
            // Mostly ASCII with a good share of high bytes, so multi-byte sequences form and break.
            byte = static_cast<char>(random.bounded(3) == 0 ? random.bounded(0x80, 0x100)
                                                            : random.bounded(0x80));
        }
        if (round % 7 == 0) {
            page.prepend("\xef\xbb\xbf"); // a byte order mark is page text too
        }
        for (const CodePage codePage : {CodePage::Utf8, CodePage::Windows1252}) {
            const QByteArray legacy = narrowToLegacy(QString::fromUtf8(page), codePage);
            qsizetype size = -1;
            const QString text = pageTextFromBytes(page, codePage, size);
            ASSERT_EQ(size, legacy.size()) << page.toHex().constData();
            ASSERT_EQ(text, widenFromLegacy(legacy, codePage)) << page.toHex().constData();
        }
    }
}

} // namespace
} // namespace orvane
