#include "engine/legacy_codepage.h"
#include "engine/link_finder.h"
#include "support/named_cases.h"

#include <QStringList>
#include <chrono>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace orvane {
namespace {

using orvane::testing::caseName;
using orvane::testing::text;

// The outputs start with these so that a test sees whether Find_Link touched them.
const QString kOldLink = u"(old link)"_s;
const QString kOldAnchor = u"(old anchor)"_s;

struct Outcome
{
    bool found;
    QString link;
    QString anchor;
};

Outcome findLink(const QString &page, const QString &target, bool contentMode = false)
{
    Outcome outcome{false, kOldLink, kOldAnchor};
    outcome.found = Find_Link(page, target, outcome.link, outcome.anchor, contentMode);
    return outcome;
}

// ----- The two patterns
// ---------------------------------------------------------------------------

TEST(LinkFinderPatterns, LinkPatternIsTheExactText)
{
    const QStringView pattern(kLinkPattern);
    EXPECT_EQ(pattern.size(), 144);
    EXPECT_EQ(
        pattern,
        QStringView(
            uR"re(<a(?:.*?) href[\s\t\n\r]*=[\s\t\n\r]*(?:\"|')(.*?)(?:\"|').*?>(.*?)<\/a[\s\t\n\r]*>|https?://[-a-zA-Z0-9+&@#/%?=~_|!:,.;]*[-a-zA-Z0-9+&@#/%=~_|])re"));
}

TEST(LinkFinderPatterns, TrimPatternIsTheExactText)
{
    const QStringView pattern(kTrimPattern);
    EXPECT_EQ(pattern.size(), 21);
    EXPECT_EQ(pattern, QStringView(uR"re(^[\s\t\n]+|[\s\t\n]+$)re"));
}

// ----- Link mode ------------------------------------------------------------------------------

struct LinkCase
{
    const char *name;
    const char16_t *page;
    const char16_t *target;
    bool found;
    const char16_t *link;   // nullptr: left untouched
    const char16_t *anchor; // nullptr: left untouched
};

const LinkCase kLinkCases[] = {
    {"AnchorWithNestedTags",
     u"<p>See <a href='https://blog.site.example/page'>Example <b>site</b></a></p>",
     u"site.example", true, u"https://blog.site.example/page", u"Example site"},
    {"DoubleQuotedHref",
     u"<p>See <a href=\"https://blog.site.example/page\">Example <b>site</b></a></p>",
     u"site.example", true, u"https://blog.site.example/page", u"Example site"},
    {"TargetIsCaseSensitive",
     u"<p>See <a href='https://blog.site.example/page'>Example <b>site</b></a></p>",
     u"Site.example", false, nullptr, nullptr},
    {"UpperCaseNamesAndSpacesAroundEquals", u"<A HREF = 'https://site.example/'>  Home  </A >",
     u"site.example", true, u"https://site.example/", u"Home"},
    {"LineBreakBeforeHrefLeavesABareAddress", u"<a\nhref='https://site.example/'>x</a>",
     u"site.example", true, u"https://site.example/", nullptr},
    {"TabBeforeHrefLeavesABareAddress", u"<a\thref='https://site.example/'>x</a>", u"site.example",
     true, u"https://site.example/", nullptr},
    {"UnquotedHrefIsSwallowedByTheNextElement",
     u"<a href=https://site.example/>E</a> <a href='/about'>About</a>", u"site.example", false,
     nullptr, nullptr},
    {"BareAddressWithoutFinalFullStop", u"Visit https://site.example/page.", u"site.example", true,
     u"https://site.example/page", nullptr},
    {"BareAddressWithoutFinalMarks", u"See https://site.example/a?b=1;!:,.? now", u"site.example",
     true, u"https://site.example/a?b=1", nullptr},
    {"BareAddressSchemeIgnoresCase", u"go to HTTP://Site.Example/X", u"Site.Example", true,
     u"HTTP://Site.Example/X", nullptr},
    {"ApostropheEndsADoubleQuotedHref", u"<a href=\"https://site.example/it's\">x</a>",
     u"site.example", true, u"https://site.example/it", u"x"},
    {"SecondQualifyingAnchorWins",
     u"<a href='https://site.example/1'>One</a> <a href='https://site.example/2'>Two</a>",
     u"site.example", true, u"https://site.example/2", u"Two"},
    {"NonQualifyingAnchorAfterQualifyingChangesNothing",
     u"<a href='https://site.example/1'>One</a> <a href='https://other.example/2'>Two</a>",
     u"site.example", true, u"https://site.example/1", u"One"},
    {"AnchorThenBareAddress",
     u"<a href='https://site.example/1'>One</a> then https://site.example/2 end", u"site.example",
     true, u"https://site.example/2", u"One"},
    {"BareAddressThenAnchor",
     u"https://site.example/2 then <a href='https://site.example/1'>One</a>", u"site.example", true,
     u"https://site.example/1", u"One"},
    {"OnlyHrefIsTested",
     u"<a href='/x' title='https://site.example/'>site.example https://site.example/</a>",
     u"site.example", false, nullptr, nullptr},
    {"AnyElementNameBeginningWithA", u"<abbr title='t'> href='https://site.example/'>Abbr</a>",
     u"site.example", true, u"https://site.example/", u"Abbr"},
    {"AnchorContentLineBreaksTrimmed", u"<a href='https://site.example/'>\n  Click\n  here\n</a>",
     u"site.example", true, u"https://site.example/", u"Click\n  here"},
    {"AnchorContentOnlyTags", u"<a href='https://site.example/'><img src='i.png'></a>",
     u"site.example", true, u"https://site.example/", u""},
    {"HrefKeptUnchanged", u"<a href='  https://site.example/?a=1&amp;b=2 '>x</a>", u"site.example",
     true, u"  https://site.example/?a=1&amp;b=2 ", u"x"},
    {"VerticalTabIsNoWhiteSpace", u"<a href\v='https://site.example/'>x</a>", u"site.example", true,
     u"https://site.example/", nullptr},
    {"NoBreakSpaceIsNoWhiteSpace", u"<a href\u00A0='https://site.example/'>x</a>", u"site.example",
     true, u"https://site.example/", nullptr},
    {"FormFeedIsWhiteSpace", u"<a href\f=\f'https://site.example/'>x</a\f>", u"site.example", true,
     u"https://site.example/", u"x"},
    {"KelvinSignEndsABareAddress", u"https://ma\u212Aer.example/", u"ma", true, u"https://ma",
     nullptr},
    {"LongSIsNoS", u"http\u017F://site.example/", u"site.example", false, nullptr, nullptr},
    {"TargetInAnchorTextOnly", u"<a href='/home'>site.example</a>", u"site.example", false, nullptr,
     nullptr},
    {"EmptyPage", u"", u"site.example", false, nullptr, nullptr},
    {"EmptyTarget", u"<a href='https://site.example/'>x</a> https://site.example/", u"", false,
     nullptr, nullptr},
    {"NoLinks", u"<p>site.example</p>", u"site.example", false, nullptr, nullptr},
};

class LinkFinderLinkMode : public ::testing::TestWithParam<LinkCase>
{};

TEST_P(LinkFinderLinkMode, FindsTheLastQualifyingLink)
{
    const LinkCase &c = GetParam();
    const Outcome outcome = findLink(text(c.page), text(c.target));
    EXPECT_EQ(outcome.found, c.found);
    EXPECT_EQ(outcome.link, c.link ? text(c.link) : kOldLink);
    EXPECT_EQ(outcome.anchor, c.anchor ? text(c.anchor) : kOldAnchor);
}

INSTANTIATE_TEST_SUITE_P(Cases, LinkFinderLinkMode, ::testing::ValuesIn(kLinkCases), caseName);

TEST(LinkFinderLinkMode, TargetIsNotTrimmedOrParsed)
{
    const QString page = u"<a href='https://site.example/ x'>A</a>"_s;
    EXPECT_TRUE(findLink(page, u"/ x"_s).found);
    EXPECT_TRUE(findLink(page, u"s://s"_s).found);
    EXPECT_FALSE(findLink(page, u" site.example "_s).found);
}

// ----- The 10,000 match cap ---------------------------------------------------------------------

// `count` bare addresses; the one at position `qualifying` (1-based) holds the target.
QString pageOfAddresses(int count, int qualifying)
{
    QString page;
    page.reserve(qsizetype{count} * 24);
    for (int i = 1; i <= count; ++i)
        page += (i == qualifying ? u"https://site.example/ "_s : u"https://other.example/ "_s);
    return page;
}

struct CapCase
{
    const char *name;
    int qualifying;
    bool found;
};

const CapCase kCapCases[] = {
    {"First", 1, true},
    {"LastExamined", kMaxMatchesPerPage, true},
    {"FirstBeyondTheCap", kMaxMatchesPerPage + 1, false},
    {"WellBeyondTheCap", kMaxMatchesPerPage + 2, false},
};

class LinkFinderMatchCap : public ::testing::TestWithParam<CapCase>
{};

TEST_P(LinkFinderMatchCap, OnlyTheFirstTenThousandMatchesAreExamined)
{
    const Outcome outcome =
        findLink(pageOfAddresses(kMaxMatchesPerPage + 2, GetParam().qualifying), u"site.example"_s);
    EXPECT_EQ(outcome.found, GetParam().found);
    EXPECT_EQ(outcome.link, GetParam().found ? u"https://site.example/"_s : kOldLink);
    EXPECT_EQ(outcome.anchor, kOldAnchor);
}

INSTANTIATE_TEST_SUITE_P(Positions, LinkFinderMatchCap, ::testing::ValuesIn(kCapCases), caseName);

TEST(LinkFinderMatchCap, CapCountsAnchorsAndAddressesAlike)
{
    QString page;
    for (int i = 0; i < kMaxMatchesPerPage / 2; ++i)
        page += u"<a href='/a'>a</a> https://other.example/ "_s;
    EXPECT_FALSE(
        findLink(page + u"<a href='https://site.example/'>x</a>"_s, u"site.example"_s).found);
    page.chop(u"https://other.example/ "_s.size());
    EXPECT_TRUE(
        findLink(page + u"<a href='https://site.example/'>x</a>"_s, u"site.example"_s).found);
}

// ----- Hard pages, given-up searches, broken text ----------------------------------------------

QString repeatedTo(const QString &unit, qsizetype size)
{
    QString page;
    page.reserve(size + unit.size());
    while (page.size() < size)
        page += unit;
    return page;
}

TEST(LinkFinderHardPages, MegabyteOfOpeningsWithoutHrefFinishesEmpty)
{
    const Outcome outcome = findLink(repeatedTo(u"<a"_s, 1 << 20), u"a"_s);
    EXPECT_FALSE(outcome.found);
    EXPECT_EQ(outcome.link, kOldLink);
    EXPECT_EQ(outcome.anchor, kOldAnchor);
}

TEST(LinkFinderHardPages, MegabyteOfUnclosedAnchorsFinishesEmpty)
{
    // No element is ever closed, so no anchor can match, and "x" is no bare address.
    const Outcome outcome = findLink(repeatedTo(u"<a href=\"x\">y"_s, 1 << 20), u"x"_s);
    EXPECT_FALSE(outcome.found);
    EXPECT_EQ(outcome.link, kOldLink);
    EXPECT_EQ(outcome.anchor, kOldAnchor);
}

TEST(LinkFinderHardPages, GivenUpSearchEndsQuietlyWithTheResultSoFar)
{
    // The second search starts in a run of unclosed anchors and exceeds the match limit. A search
    // without a limit would go on to find the final address.
    const QString page = u"<a href='https://site.example/1'>One</a>"_s +
                         repeatedTo(u"<a href=\"x\">y"_s, qsizetype{256} * 1024) +
                         u" https://site.example/2";
    const Outcome outcome = findLink(page, u"site.example"_s);
    EXPECT_TRUE(outcome.found);
    EXPECT_EQ(outcome.link, u"https://site.example/1"_s);
    EXPECT_EQ(outcome.anchor, u"One"_s);
}

TEST(LinkFinderHardPages, ThousandsOfSearchesNearTheLimitEndWithinTheCpuBudget)
{
    // Each "<a" scans the rest of the page for " href" in vain before the bare address after it
    // ends that search as a match: every search stays under the match limit, yet all of them
    // together would keep the thread busy for a minute or more.
    const QString page = u"<a href='https://site.example/1'>One</a>"_s +
                         repeatedTo(u"<ahttp://q.r "_s, qsizetype{13} * 10000) +
                         QString(6'000'000, u'x');
    const auto start = std::chrono::steady_clock::now();
    const Outcome outcome = findLink(page, u"site.example"_s);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(outcome.found);
    EXPECT_EQ(outcome.link, u"https://site.example/1"_s);
    EXPECT_EQ(outcome.anchor, u"One"_s);
    // The budget is CPU time; the wall clock allows for a busy machine.
    EXPECT_LT(elapsed, std::chrono::milliseconds(kSearchCpuBudgetMs) + std::chrono::seconds(15));
}

TEST(LinkFinderHardPages, LoneSurrogatesDoNotStopTheSearch)
{
    const QString high(QChar(char16_t(0xD800)));
    const QString low(QChar(char16_t(0xDC00)));
    const QString page = high + u"<a href='https://site.example/" + low + u"'>A" + high + u"</a> " +
                         low + u"https://site.example/2" + high;
    QString link = kOldLink;
    QString anchor = kOldAnchor;
    EXPECT_TRUE(Find_Link(page, u"site.example"_s, link, anchor, false));
    EXPECT_EQ(link, u"https://site.example/2"_s);
    // The anchor text went through narrowing; only its ASCII part is certain.
    EXPECT_TRUE(anchor.startsWith(u'A'));

    link = kOldLink;
    EXPECT_TRUE(Find_Link(page, u"/" + low, link, anchor, false));
    EXPECT_EQ(link, u"https://site.example/"_s + low);
}

// ----- Content mode ---------------------------------------------------------------------------

struct ContentCase
{
    const char *name;
    const char16_t *page;
    const char16_t *target;
    bool found;
};

const ContentCase kContentCases[] = {
    {"ExactFragment", u"<p><b>Hi</b></p>", u"<b>Hi</b>", true},
    {"OtherCaseIsNotFound", u"<p><B>Hi</B></p>", u"<b>Hi</b>", false},
    {"WholePage", u"abc", u"abc", true},
    {"LongerThanPage", u"ab", u"abc", false},
    {"EmptyTarget", u"abc", u"", false},
    {"EmptyPageAndTarget", u"", u"", false},
    {"NoNormalisation", u"cafe\u0301", u"caf\u00E9", false},
    {"SurrogatePairs", u"x\U0001F600y", u"\U0001F600", true},
    {"LinksAreNotExamined", u"<a href='https://site.example/'>x</a>", u"Site.example", false},
};

class LinkFinderContentMode : public ::testing::TestWithParam<ContentCase>
{};

TEST_P(LinkFinderContentMode, PlainCaseSensitiveSubstringWithOutputsUntouched)
{
    const Outcome outcome = findLink(text(GetParam().page), text(GetParam().target), true);
    EXPECT_EQ(outcome.found, GetParam().found);
    EXPECT_EQ(outcome.link, kOldLink);
    EXPECT_EQ(outcome.anchor, kOldAnchor);
}

INSTANTIATE_TEST_SUITE_P(Cases, LinkFinderContentMode, ::testing::ValuesIn(kContentCases),
                         caseName);

// ----- Threads --------------------------------------------------------------------------------

TEST(LinkFinderConcurrency, ManyThreadsGetTheSameResults)
{
    std::vector<Outcome> expected;
    for (const LinkCase &c : kLinkCases)
        expected.push_back(findLink(text(c.page), text(c.target)));

    constexpr int kThreads = 8;
    constexpr int kRounds = 25;
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    threads.reserve(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                for (std::size_t i = 0; i < std::size(kLinkCases); ++i) {
                    const Outcome outcome =
                        findLink(text(kLinkCases[i].page), text(kLinkCases[i].target));
                    if (outcome.found != expected[i].found || outcome.link != expected[i].link ||
                        outcome.anchor != expected[i].anchor) {
                        ++mismatches[t];
                    }
                }
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

// ----- Strip_Tags and Trim_Spaces -------------------------------------------------------------

enum TextHelper { StripTags, TrimSpaces };

struct TextHelperCase
{
    TextHelper helper;
    const char *name;
    const char16_t *input;
    const char16_t *output;
};

// Strip_Tags drops everything from an opening to a closing bracket; Trim_Spaces removes leading
// and trailing white space.
const TextHelperCase kTextHelperCases[] = {
    {StripTags, "Tags", u"a<b>c</b>d", u"acd"},
    {StripTags, "LoneClosingBracket", u"x > y", u"x  y"},
    {StripTags, "UnclosedOpening", u"a < b", u"a "},
    {StripTags, "NoNesting", u"<<a>b>", u"b"},
    {StripTags, "LeadingClosingBracket", u">abc", u"abc"},
    {StripTags, "NothingToStrip", u"", u""},
    {StripTags, "NoTags", u"plain text", u"plain text"},
    {StripTags, "LineBreaksKept", u"a\n<br>\nb", u"a\n\nb"},
    {StripTags, "BracketInsideAttribute", u"<img alt='>'>x", u"'x"},
    {TrimSpaces, "MixedWhiteSpace", u"  \r\n Click here \t", u"Click here"},
    {TrimSpaces, "OnlySpaces", u"   ", u""},
    {TrimSpaces, "InnerSpacesKept", u"a  b", u"a  b"},
    {TrimSpaces, "LeadingNoBreakSpaceKept", u"\u00A0Click", u"\u00A0Click"},
    {TrimSpaces, "NothingToTrim", u"", u""},
    {TrimSpaces, "FormFeedTrimmed", u"\fx\f", u"x"},
    {TrimSpaces, "VerticalTabKept", u"\vx\v", u"\vx\v"},
    // "$" also matches before a line break that ends the text; VT is such a line break under
    // newline ANY but no white space, so the spaces before a final VT go and the VT stays.
    {TrimSpaces, "SpacesBeforeFinalVerticalTab", u"x  \v", u"x\v"},
    {TrimSpaces, "SpacesBeforeFinalVerticalTabAndLineFeed", u"x \v\n", u"x \v"},
    {TrimSpaces, "SpacesBeforeLeadingVerticalTab", u" \vx", u"\vx"},
    {TrimSpaces, "SpacesAndFinalLineFeed", u"a  \n", u"a"},
    {TrimSpaces, "SpacesAndFinalCrLf", u"a \r\n", u"a"},
    {TrimSpaces, "SeveralFinalLineFeeds", u"a\n\n", u"a"},
    {TrimSpaces, "TrailingNoBreakSpaceKept", u"x \u00A0", u"x \u00A0"},
};

class TextHelpers : public ::testing::TestWithParam<TextHelperCase>
{};

TEST_P(TextHelpers, GiveTheirTextWhateverTheOutputHeldBefore)
{
    const TextHelperCase &c = GetParam();
    if (c.helper == StripTags) {
        QString result = u"previous content"_s;
        Strip_Tags(text(c.input), result);
        EXPECT_EQ(result, text(c.output));
    } else {
        QByteArray result = "previous";
        Trim_Spaces(narrowToLegacy(text(c.input)), result);
        EXPECT_EQ(widenFromLegacy(result), text(c.output));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TextHelpers, ::testing::ValuesIn(kTextHelperCases), caseName);

} // namespace
} // namespace orvane
