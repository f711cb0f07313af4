#include "listtools/list_cleaning.h"
#include "support/named_cases.h"
#include "support/qt_print.h"
#include "support/reference_cleaning.h"

#include <QRandomGenerator>
#include <functional>
#include <gtest/gtest.h>

namespace orvane {
namespace {

using orvane::testing::caseName;
using Command = CleaningOutcome (*)(PageList &);

struct CleaningCase
{
    const char *name;
    Command command;
    const char16_t *before;
    const char16_t *after;
    const char *message;
};

class ListCleaningCases : public ::testing::TestWithParam<CleaningCase>
{};

TEST_P(ListCleaningCases, EditsTheListAndCountsWhatWent)
{
    const CleaningCase &c = GetParam();
    TextLines list(QString::fromUtf16(c.before));
    const CleaningOutcome outcome = c.command(list);
    EXPECT_EQ(list.text(), QString::fromUtf16(c.after));
    EXPECT_EQ(outcome.message, QString::fromLatin1(c.message));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, ListCleaningCases, ::testing::Values(
    // Remove Duplicate URLs: exact trimmed text, topmost copy survives unchanged.
    CleaningCase{"DuplicatesTrimmed", removeDuplicateUrls, u"s://a/\n s://a/ \ns://a/", u"s://a/\n", "2 Urls Removed"},
    CleaningCase{"DuplicatesKeepFirstAsWritten", removeDuplicateUrls, u"\t s://a/\ns://b/\ns://a/", u"\t s://a/\ns://b/\n", "1 Urls Removed"},
    CleaningCase{"CaseAndSlashMatter", removeDuplicateUrls, u"s://a/\ns://A/\ns://a", u"s://a/\ns://A/\ns://a", "0 Urls Removed"},
    CleaningCase{"DuplicatesLeaveBlankLines", removeDuplicateUrls, u"a\n\n \n\t\n\na", u"a\n\n \n\t\n\n", "1 Urls Removed"},
    CleaningCase{"DuplicateLastLineLeavesLineBreak", removeDuplicateUrls, u"a\nb\na", u"a\nb\n", "1 Urls Removed"},
    CleaningCase{"EmptyList", removeDuplicateUrls, u"", u"", "0 Urls Removed"},
    // Remove Duplicate Domains: hosts ignore case; protocol, port and path play no part.
    CleaningCase{"Domains", removeDuplicateDomains, u"s://A.b/x\nt://a.B:8080/y\ns://c.b/", u"s://A.b/x\ns://c.b/", "1 Urls Removed"},
    CleaningCase{"SubdomainIsAnotherHost", removeDuplicateDomains, u"s://a.b/\ns://x.a.b/\ns://u:p@a.b/z", u"s://a.b/\ns://x.a.b/\n", "1 Urls Removed"},
    CleaningCase{"FragmentStaysInHost", removeDuplicateDomains, u"s://h#top\ns://h/", u"s://h#top\ns://h/", "0 Urls Removed"},
    CleaningCase{"LinesWithoutHostStay", removeDuplicateDomains, u"a.b/page\na.b/page\n\ns://a.b/\n\ns://A.B", u"a.b/page\na.b/page\n\ns://a.b/\n\n", "1 Urls Removed"},
    CleaningCase{"HyphenAndDigitsDiffer", removeDuplicateDomains, u"s://a-b/\ns://ab/\ns://a1/\ns://al/", u"s://a-b/\ns://ab/\ns://a1/\ns://al/", "0 Urls Removed"},
    // Remove Invalid Urls: non-blank lines without a host.
    CleaningCase{"Invalid", removeInvalidUrls, u"a.b/page\ns://h/\n  \ns://\n//h/p\ns://[]/\ns://:80/", u"s://h/\n  \n", "5 Urls Removed"},
    CleaningCase{"PlaceholderIsInvalid", removeInvalidUrls, u"Paste your URLs here", u"", "1 Urls Removed"},
    // Trim to Domain: protocol + "://" + host; nothing removed.
    CleaningCase{"Trim", trimToDomain, u"S://u:pw@Host.B:8080/p/d.html?q=1#top\n  s://h/x  \n\t\na.b/page", u"S://Host.B\ns://h\n\t\na.b/page", "0 Urls Removed"},
    CleaningCase{"TrimIPv6LosesBrackets", trimToDomain, u"s://[::1]:8080/\ns://h#top", u"s://::1\ns://h#top", "0 Urls Removed"},
    CleaningCase{"TrimTwiceChangesNothing", trimToDomain, u"S://Host.B\ns://::1", u"S://Host.B\ns://::1", "0 Urls Removed"},
    // Remove Empty Lines: blank lines only, the final line break is not a line.
    CleaningCase{"Empty", removeEmptyLines, u"\na\n \t\nb\n\n", u"a\nb\n", "3 Lines Removed"},
    CleaningCase{"BlankLastLine", removeEmptyLines, u"a\n  ", u"a\n", "1 Lines Removed"},
    CleaningCase{"NoBreakSpaceIsNotBlank", removeEmptyLines, u"\u00a0\n\u0001", u"\u00a0\n", "1 Lines Removed"},
    CleaningCase{"OnlyBlankLines", removeEmptyLines, u" \n\n", u"", "2 Lines Removed"}),
    caseName);
// clang-format on

TEST(PageList, CountsReadsAndDeletesLikeTheMemo)
{
    EXPECT_EQ(TextLines(QString()).lineCount(), 0);
    EXPECT_EQ(TextLines(QStringLiteral("a\n")).lineCount(), 1);
    EXPECT_EQ(TextLines(QStringLiteral("a\n\n")).lineCount(), 2);

    TextLines list(QStringLiteral("a\nb\nc"));
    list.deleteLine(2);
    EXPECT_EQ(list.text(), QStringLiteral("a\nb\n"));
    list.deleteLine(0);
    EXPECT_EQ(list.text(), QStringLiteral("b\n"));
    list.replaceLine(0, QStringLiteral("x"));
    EXPECT_EQ(list.text(), QStringLiteral("x\n"));
    list.deleteLine(0);
    EXPECT_EQ(list.text(), QString());
    EXPECT_EQ(list.lineCount(), 0);

    const QString longLine(5000, u'x');
    TextLines capped(longLine);
    EXPECT_EQ(capped.line(0).size(), kMaxLineRead);
    EXPECT_EQ(capped.lines().first(), longLine);
}

TEST(PageList, TrimsControlCharactersButNotNoBreakSpace)
{
    EXPECT_EQ(trimmedText(u"\u0001\t a b\r\n\u001f "), QStringLiteral("a b"));
    EXPECT_EQ(trimmedText(u"\u00a0a\u00a0"), QString::fromUtf16(u"\u00a0a\u00a0"));
    EXPECT_EQ(trimmedText(u" \t "), QString());
}

// The reads decide: two long lines that agree in their first 4096 characters are duplicates, and
// the one that stays keeps its whole text.
TEST(ListCleaning, LongLinesCompareByTheirReads)
{
    const QString head(kMaxLineRead, u'h');
    const QString first = head + QStringLiteral("-first-tail");
    TextLines list = TextLines::fromLines({first, head + QStringLiteral("-other"), head.left(10)});
    EXPECT_EQ(removeDuplicateUrls(list).removed, 1);
    EXPECT_EQ(list.lines(), (QStringList{first, head.left(10)}));
}

TEST(ListCleaning, CautaUrlSkipsItsOwnLineAndNeverMatchesBlanks)
{
    const TextLines list =
        TextLines::fromLines({QStringLiteral("a"), QStringLiteral(" "), QStringLiteral(" b ")});
    EXPECT_FALSE(cauta_url(list, QStringLiteral("a"), 0));
    EXPECT_TRUE(cauta_url(list, QStringLiteral("  a"), 2));
    EXPECT_TRUE(cauta_url(list, QStringLiteral("b"), 0));
    EXPECT_FALSE(cauta_url(list, QStringLiteral(""), 5));
    EXPECT_FALSE(cauta_url(list, QStringLiteral(" "), 0));
}

// The fast commands must leave exactly what the line-by-line passes leave, on any list.
TEST(ListCleaning, FastCommandsMatchTheLineByLinePasses)
{
    const QStringList pieces = {QStringLiteral("s://a.b/"),   QStringLiteral("s://A.b/x"),
                                QStringLiteral(" s://a.b/ "), QStringLiteral("t://c.d:80/"),
                                QStringLiteral("c.d/page"),   QStringLiteral(""),
                                QStringLiteral("  "),         QStringLiteral("s://[::1]/"),
                                QStringLiteral("s://h#f"),    QStringLiteral("\ts://C.D/y")};
    QRandomGenerator random(7);
    for (int round = 0; round < 400; ++round) {
        QStringList lines;
        const int count = random.bounded(12);
        for (int i = 0; i < count; ++i) {
            lines << pieces.at(random.bounded(static_cast<int>(pieces.size())));
        }
        const bool endsWithBreak = random.bounded(2) == 1;
        using Pair = std::pair<Command, std::function<void(PageList &)>>;
        for (const auto &[fast, lineByLine] :
             {Pair{removeDuplicateUrls, removeDuplicateUrlsLineByLine},
              Pair{removeDuplicateDomains, removeDuplicateDomainsLineByLine}}) {
            TextLines quick = TextLines::fromLines(lines, endsWithBreak);
            TextLines slow = quick;
            const int before = quick.lineCount();
            const CleaningOutcome outcome = fast(quick);
            lineByLine(slow);
            ASSERT_EQ(quick.text(), slow.text()) << lines.join(u'|').toStdString();
            ASSERT_EQ(outcome.removed, before - slow.lineCount());
        }
    }
}

} // namespace
} // namespace orvane
