#include "engine/legacy_codepage.h"

#include <QRandomGenerator>
#include <cstdlib>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <string_view>

namespace orvane {
namespace {

using namespace std::string_view_literals;

// Not QString::fromUtf16: that would drop a leading U+FEFF.
QString utf16(std::u16string_view text)
{
    return QStringView(text.data(), static_cast<qsizetype>(text.size())).toString();
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

void PrintTo(const NarrowCase &c, std::ostream *out)
{
    *out << QString::fromUtf16(c.text).toStdString();
}

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

struct DecodeCase
{
    const char *name;
    std::string_view page;
    std::u16string_view utf8Text; // under CodePage::Utf8
    qsizetype utf8Size;           // the text in UTF-8
    std::u16string_view ansiText; // under CodePage::Windows1252
};

void PrintTo(const DecodeCase &c, std::ostream *out)
{
    *out << c.name;
}

class PageDecoding : public ::testing::TestWithParam<DecodeCase>
{};

TEST_P(PageDecoding, GivesTheTextAndSizeBrowsersWould)
{
    const DecodeCase &c = GetParam();
    const QByteArray page(c.page.data(), static_cast<qsizetype>(c.page.size()));
    qsizetype size = -1;
    EXPECT_EQ(pageTextFromBytes(page, CodePage::Utf8, size), utf16(c.utf8Text));
    EXPECT_EQ(size, c.utf8Size);
    const QString ansi = pageTextFromBytes(page, CodePage::Windows1252, size);
    EXPECT_EQ(ansi, utf16(c.ansiText));
    EXPECT_EQ(size, ansi.size()); // one byte per character in Windows-1252
    // Anchor texts are widened with the same decoding.
    EXPECT_EQ(widenFromLegacy(page, CodePage::Utf8), utf16(c.utf8Text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageDecoding,
    ::testing::Values(
        // A leading U+FEFF is page text, not a mark to drop.
        DecodeCase{"BomKept",
                   "\xEF\xBB\xBF"
                   "ab"sv,
                   u"\uFEFFab", 5, u"?ab"},
        DecodeCase{"TwoBoms", "\xEF\xBB\xBF\xEF\xBB\xBF"sv, u"\uFEFF\uFEFF", 6, u"??"},
        DecodeCase{"BomInside", "a\xEF\xBB\xBF"sv, u"a\uFEFF", 4, u"a?"},
        // One U+FFFD per maximal subpart of an ill-formed sequence.
        DecodeCase{"CutThreeByteAtEnd", "\xE2\x80"sv, u"\uFFFD", 3, u"?"},
        DecodeCase{"CutThreeByteBeforeAscii",
                   "\xE2\x80"
                   "A"sv,
                   u"\uFFFDA", 4, u"?A"},
        DecodeCase{"CutFourByteBeforeAscii",
                   "\xF0\x9F\x98"
                   "x"sv,
                   u"\uFFFDx", 4, u"?x"},
        DecodeCase{"CutBeforeAnotherCharacter", "\xE2\x82\xE2\x82\xAC"sv, u"\uFFFD\u20AC", 6,
                   u"?\u20AC"},
        DecodeCase{"CutTwiceInARow", "\xF1\x80\x80\xE1\x80"sv, u"\uFFFD\uFFFD", 6, u"??"},
        DecodeCase{"CutAfterAsciiBlocks",
                   "0123456789abcdefghij\xE2\x80"
                   "0123456789abcdefghij"sv,
                   u"0123456789abcdefghij\uFFFD0123456789abcdefghij", 43,
                   u"0123456789abcdefghij?0123456789abcdefghij"},
        DecodeCase{"NeverALead", "\xC0\x80"sv, u"\uFFFD\uFFFD", 6, u"??"},
        DecodeCase{"Overlong", "\xE0\x80\x80"sv, u"\uFFFD\uFFFD\uFFFD", 9, u"???"},
        DecodeCase{"EncodedSurrogate", "\xED\xA0\x80"sv, u"\uFFFD\uFFFD\uFFFD", 9, u"???"},
        DecodeCase{"AboveLastCodePoint", "\xF4\x90\x80\x80"sv, u"\uFFFD\uFFFD\uFFFD\uFFFD", 12,
                   u"????"},
        DecodeCase{"FiveByteForm", "\xF8\x88\x80\x80\x80"sv, u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", 15,
                   u"?????"},
        DecodeCase{"LoneContinuation", "\x80"sv, u"\uFFFD", 3, u"?"},
        DecodeCase{"InvalidByte", "\xFF"sv, u"\uFFFD", 3, u"?"},
        DecodeCase{"NulIsText", "a\0b"sv, u"a\0b"sv, 3, u"a\0b"sv},
        // Well-formed, at the edges of each form.
        DecodeCase{"FourByte", "\xF0\x9F\x98\x80"sv, u"\U0001F600", 4, u"?"},
        DecodeCase{"EdgesOfTheForms",
                   "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
                   "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"sv,
                   u"\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF", 24, u"????????"},
        DecodeCase{"Mixed", "<p>caf\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x98\x80\xE2\x82</p>\xFF"sv,
                   u"<p>caf\u00E9 \u20AC\U0001F600\uFFFD</p>\uFFFD", 26,
                   u"<p>caf\u00E9 \u20AC?"
                   u"?</p>?"},
        DecodeCase{"Empty", ""sv, u"", 0, u""}),
    [](const ::testing::TestParamInfo<DecodeCase> &testCase) {
        return std::string(testCase.param.name);
    });

// Whatever character a cut sequence would have been, and wherever it is cut, it is one U+FFFD.
TEST(PageText, CutCharacterIsOneReplacementCharacter)
{
    for (const char32_t code :
         {U'\u00E9', U'\u0800', U'\u20AC', U'\uFFFF', U'\U0001F600', U'\U0010FFFF'}) {
        const QByteArray whole = QString::fromUcs4(&code, 1).toUtf8();
        for (qsizetype cut = 1; cut < whole.size(); ++cut) {
            for (const QByteArray &after : {QByteArray(), QByteArray("z"), whole}) {
                const QByteArray page = whole.first(cut) + after;
                const QString expected = QChar(0xFFFD) + QString::fromUtf8(after);
                qsizetype size = -1;
                EXPECT_EQ(pageTextFromBytes(page, CodePage::Utf8, size), expected)
                    << page.toHex().constData();
                EXPECT_EQ(size, expected.toUtf8().size()) << page.toHex().constData();
            }
        }
    }
}

// Well-formed pages decode exactly as Qt encoded them, whatever mix of forms and runs of ASCII.
TEST(PageText, WellFormedPagesComeBackWhole)
{
    QRandomGenerator random(99);
    for (int round = 0; round < 200; ++round) {
        std::u32string codes;
        const int length = static_cast<int>(random.bounded(120));
        for (int i = 0; i < length; ++i) {
            switch (random.bounded(5)) {
            case 0:
                codes += static_cast<char32_t>(random.bounded(0x80, 0x800));
                break;
            case 1:
                codes += static_cast<char32_t>(random.bounded(0x800, 0xD800));
                break;
            case 2:
                codes += static_cast<char32_t>(random.bounded(0xE000, 0x10000));
                break;
            case 3:
                codes += static_cast<char32_t>(random.bounded(0x10000, 0x110000));
                break;
            default: // a run of ASCII, sometimes long enough for whole blocks
                for (int run = static_cast<int>(random.bounded(40)); run > 0; --run) {
                    codes += static_cast<char32_t>(random.bounded(0x80));
                }
            }
        }
        const QString text = QString::fromUcs4(codes.data(), static_cast<qsizetype>(codes.size()));
        const QByteArray page = text.toUtf8();
        qsizetype size = -1;
        ASSERT_EQ(pageTextFromBytes(page, CodePage::Utf8, size), text) << page.toHex().constData();
        ASSERT_EQ(size, page.size());
    }
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
            const QByteArray legacy =
                narrowToLegacy(widenFromLegacy(page, CodePage::Utf8), codePage);
            qsizetype size = -1;
            const QString text = pageTextFromBytes(page, codePage, size);
            ASSERT_EQ(size, legacy.size()) << page.toHex().constData();
            ASSERT_EQ(text, widenFromLegacy(legacy, codePage)) << page.toHex().constData();
        }
    }
}

} // namespace
} // namespace orvane
