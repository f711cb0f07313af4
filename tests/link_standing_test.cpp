// Does a found link count: the rel tokens of the link shown, the robots rules of the page and of
// its X-Robots-Tag headers, and the verdict made of them.
#include "engine/link_finder.h"
#include "engine/link_type.h"
#include "engine/page_check.h"
#include "engine/robots_rules.h"
#include "engine/verdict.h"
#include "support/named_cases.h"
#include "support/qt_print.h"

#include <QByteArrayList>
#include <gtest/gtest.h>

namespace orvane {
namespace {

struct LinkTypeCase
{
    const char *name;
    const char *page;
    const char *linkType;         // nullptr: not found
    const char *anchor = nullptr; // nullptr: as Find_Link leaves it, not looked at
    // When set, the page's "%1" stands for this, repeated this many times.
    const char *repeated = nullptr;
    int times = 0;
    const char *judgedBy = ""; // an earlier link that counts when the shown one does not
    bool searchedInFull = true;
};

class LinkTypes : public ::testing::TestWithParam<LinkTypeCase>
{};

TEST_P(LinkTypes, DescribeTheLinkShownInUrlFound)
{
    const LinkTypeCase &c = GetParam();
    QString page = QString::fromUtf8(c.page);
    if (c.repeated != nullptr) {
        page = page.arg(QString::fromUtf8(c.repeated).repeated(c.times));
    }
    const LinkFindings findings = findLinks(page, QStringLiteral("site.b"), false);
    ASSERT_EQ(findings.found, c.linkType != nullptr);
    if (findings.found) {
        EXPECT_EQ(findings.linkType.text(), QString::fromUtf8(c.linkType));
        EXPECT_TRUE(
            linkTypeTexts().contains(findings.linkType.text())); // the column is wide enough
    }
    if (c.anchor != nullptr) {
        EXPECT_EQ(findings.anchor, QString::fromUtf8(c.anchor));
    }
    // The verdict is judged by the best link found.
    EXPECT_EQ(findings.judgedBy, QString::fromUtf8(c.judgedBy));
    EXPECT_EQ(findings.bestPasses, findings.linkType.passes() || *c.judgedBy);
    EXPECT_EQ(findings.searchedInFull, c.searchedInFull);
}

// Text and an address: repeated 9,999 times, 16 MiB (or 5 MiB, within the engine's match limit
// for the one "<a" before them) with as many links to the site.
const std::string kAddressAmidSixteenMiBText = std::string(1662, 'y') + " https://site.b/ ";
const char *const kAddressAmidSixteenMiB = kAddressAmidSixteenMiBText.c_str();
const std::string kAddressAmidFiveMiBText = std::string(508, 'y') + " https://site.b/ ";
const char *const kAddressAmidFiveMiB = kAddressAmidFiveMiBText.c_str();

const LinkTypeCase kLinkTypeCases[] = {
    {"NoRel", "<a href='https://site.b/'>x</a>", "dofollow"},
    {"RelAfterHref", "<a href='https://site.b/' rel='nofollow'>x</a>", "nofollow"},
    {"RelBeforeHref", "<a rel=\"sponsored\" href=\"https://site.b/\">x</a>", "sponsored"},
    {"Unquoted", "<a class=c rel=ugc href='https://site.b/'>x</a>", "ugc"},
    {"MixedCaseNameAndTokens", "<a REL='NoFollow UGC' href='https://site.b/'>x</a>",
     "nofollow ugc"},
    {"TokensInFixedOrder", "<a href='https://site.b/' rel='ugc noopener sponsored nofollow'>x</a>",
     "nofollow sponsored ugc"},
    {"TabsAndLineBreaksBetweenTokens",
     "<a href='https://site.b/' rel=' ugc\t\n nofollow\r\n'>x</a>", "nofollow ugc"},
    {"NoopenerOnly", "<a href='https://site.b/' rel='noopener noreferrer'>x</a>", "dofollow"},
    {"RelWithoutValue", "<a rel href='https://site.b/'>x</a>", "dofollow"},
    {"EmptyRel", "<a rel='' href='https://site.b/'>x</a>", "dofollow"},
    {"FirstRelCounts", "<a rel='nofollow' rel='sponsored' href='https://site.b/'>x</a>",
     "nofollow"},
    {"OtherAttributesDoNotCount",
     "<a data-rel='nofollow' title='rel=nofollow' href='https://site.b/'>x</a>", "dofollow"},
    {"NoBlankBeforeRel", "<a href='https://site.b/'rel='nofollow'>x</a>", "nofollow"},
    {"PartialTokensDoNotCount", "<a rel='nofollowing ugcx' href='https://site.b/'>x</a>",
     "dofollow"},
    // The tag is the one around the href value, even when the match begins at an earlier "<a".
    {"TagOfTheHrefValue",
     "<a rel=nofollow>first</a> <link href='https://site.b/' rel=sponsored> y</a>", "sponsored"},
    {"BareAddress", "<p>Visit https://site.b/page.</p>", "text"},
    {"LastQualifyingMatchWins",
     "<a rel=nofollow href='https://site.b/1'>x</a> <a href='https://site.b/2'>y</a>", "dofollow"},
    {"BareAddressAfterAnAnchor", "<a rel=nofollow href='https://site.b/1'>x</a> https://site.b/2",
     "text"},
    // Read as a browser reads it: title is "oops href=", and rel follows.
    {"UnclosedQuoteInTheTag", "<a title='oops href='https://site.b/' rel=nofollow>x</a>",
     "nofollow"},
    {"NotFound", "<a rel=nofollow href='https://other.b/'>x</a>", nullptr},
    // Where the link stands.
    {"Commented", "<!-- <a href='https://site.b/'>old</a> -->", "commented"},
    {"NofollowCommented", "<!-- <a href='https://site.b/' rel=nofollow>x</a> -->",
     "nofollow commented"},
    {"AfterAClosedComment", "<!-- <p> --><a href='https://site.b/'>x</a>", "dofollow"},
    {"EmptyCommentEndsAtOnce", "<!--><a href='https://site.b/'>x</a>", "dofollow"},
    {"BogusComment", "<!x <a href='https://site.b/'>y</a>", "commented"},
    {"Noscript", "<noscript><a href='https://site.b/' rel=ugc>x</a></noscript>", "ugc noscript"},
    {"NoscriptHoldsRawText", "<noscript><!--</noscript><a href='https://site.b/'>x</a>",
     "dofollow"},
    {"Script", "<script>w('<a href=\"https://site.b/\" rel=sponsored>x</a>')</script>",
     "sponsored script"},
    {"Style", "<style>/* <a href='https://site.b/'>x</a> */</style>", "script"},
    {"Template", "<TEMPLATE><a href='https://site.b/'>x</a></Template >", "script"},
    {"CommentMarkInScript", "<script>s='<!--'</SCRIPT><a href='https://site.b/'>x</a>", "dofollow"},
    {"NotTheScriptEndTag", "<script>'</scripts>'<a href='https://site.b/'>x</a>", "script"},
    {"HiddenAttribute", "<a HIDDEN href='https://site.b/'>x</a>", "hidden"},
    {"DisplayNone", "<a style='color:red; DISPLAY : none !important' href='https://site.b/'>x</a>",
     "hidden"},
    {"NofollowVisibilityHidden",
     "<a rel=nofollow style=\"visibility:hidden\" href='https://site.b/'>x</a>", "nofollow hidden"},
    {"LaterDeclarationShowsIt",
     "<a style='display:none;display:block' href='https://site.b/'>x</a>", "dofollow"},
    {"AncestorStylesNotExamined", "<div style='display:none'><a href='https://site.b/'>x</a></div>",
     "dofollow"},
    {"PlaceBeforeHidden", "<!-- <a hidden rel=sponsored href='https://site.b/'>x</a> -->",
     "sponsored commented"},
    // A bare address in an href the link pattern misses is that tag's link.
    {"UnquotedHref", "<a href=https://site.b/ rel=nofollow> Buy <b>now</b> </a>", "nofollow",
     "Buy now"},
    {"BacktickHref", "<a\nhref=`https://site.b/`>x</a >", "dofollow", "x"},
    {"UnclosedElement", "<a href='https://site.b/'>x</a> <A href=https://site.b/2>y", "dofollow",
     ""},
    {"UnquotedHrefCommented", "<!-- <a href=https://site.b/ rel=ugc>x</a> -->", "ugc commented",
     "x"},
    {"UnquotedHrefInScript", "<script>w('<a rel=nofollow href=https://site.b/>x</a>')</script>",
     "nofollow script", "x"},
    {"AddressInAnotherAttribute", "<a title=https://site.b/ href=/x>y</a>", "text"},
    {"AddressInAnotherTag", "<img src=https://site.b/x.png>", "text"},
    {"AddressInScript", "<script>var u = 'https://site.b/';</script>", "text script"},
    // Markup built to hurt ends with the right answer (a pass worse than linear over 16 MiB would
    // not end within the test's time limit).
    {"SixteenMiBOfCommentOpenings", "%1<a href='https://site.b/'>x</a>", "commented", nullptr,
     "<!--", 4 * 1024 * 1024},
    {"UnclosedCommentOfNearEnds", "<!--%1<a href='https://site.b/'>x</a>", "commented", nullptr,
     "--!- -> ", 2 * 1024 * 1024},
    {"MillionNestedNoscripts", "%1<a href='https://site.b/' rel=nofollow>x</a>",
     "nofollow noscript", nullptr, "<noscript>", 1000 * 1000},
    {"MillionNoscriptsEndAtTheFirstEndTag", "%1</noscript><a href='https://site.b/'>x</a>",
     "dofollow", nullptr, "<noscript>", 1000 * 1000},
    {"MillionNearScriptEndTags", "<script>%1<a href='https://site.b/'>x</a>", "script", nullptr,
     "</scrip</scripts", 1000 * 1000},
    {"MillionUnclosedTags", "%1<a href=https://site.b/>x</a>", "text", nullptr, "<p title='",
     1000 * 1000},
    {"AddressAfterSixteenMiBInAComment", "<!--%1https://site.b/", "text commented", nullptr, "x",
     16 * 1024 * 1024},
    // As many links as are examined, in markup built to hurt (link_finder_bench times them).
    {"TenThousandAddressesInSixteenMiBOfComment", "<!--%1", "text commented", nullptr,
     kAddressAmidSixteenMiB, 9999},
    {"TenThousandAddressesInOneHugeTag", "<a href=/ title='%1'>x</a>", "text", nullptr,
     kAddressAmidFiveMiB, 9999},
    // The best link, and a search that stopped before the page's end.
    {"EarlierLinkCounts",
     "<a href='https://site.b/&amp;1'>x</a> <a rel=nofollow href='https://site.b/2'>y</a>",
     "nofollow", "y", nullptr, 0, "judged by: https://site.b/&1 (dofollow)"},
    {"TheMatchBoundHidesTheLink", "%1<a href='https://site.b/'>x</a>", nullptr, nullptr,
     "<a href='https://other.b/'>o</a>", 10000, "", false},
    {"LastMatchWithinTheBound", "%1<a href='https://site.b/'>x</a>", "dofollow", nullptr,
     "<a href='https://other.b/'>o</a>", 9999},
};
INSTANTIATE_TEST_SUITE_P(Table, LinkTypes, ::testing::ValuesIn(kLinkTypeCases), testing::caseName);

TEST(LinkTypes, NothingIsShownWithoutAFoundLink)
{
    EXPECT_EQ(linkTypeText(u"<a rel=nofollow href='x'>", ShownLink{}), QString());
}

struct VerdictCase
{
    const char *name;
    VerdictFacts facts;
    Verdict verdict;
};

class Verdicts : public ::testing::TestWithParam<VerdictCase>
{};

TEST_P(Verdicts, AnswerDoesTheLinkCount)
{
    EXPECT_EQ(judge(GetParam().facts), GetParam().verdict);
}

constexpr PageReading kWhole = PageReading::Whole;
const VerdictCase kVerdictCases[] = {
    // reading, searched in full, found, content mode, link passes, robots
    {"FollowedVisibleLink", {kWhole, true, true, false, true, 0}, Verdict::Live},
    {"LinkNotFollowedOrNotVisible", {kWhole, true, true, false, false, 0}, Verdict::Weak},
    {"PageNotToBeIndexed", {kWhole, true, true, false, true, RobotsNoIndex}, Verdict::Weak},
    {"PageLinksNotToBeFollowed", {kWhole, true, true, false, true, RobotsNoFollow}, Verdict::Weak},
    {"PageNotToBeFetched", {kWhole, true, true, false, true, RobotsDisallowed}, Verdict::Weak},
    {"PageNamesAnotherCanonical",
     {kWhole, true, true, false, true, RobotsCanonicalised},
     Verdict::Weak},
    {"LinkOnAnErrorPage", {PageReading::HttpError, true, true, false, true, 0}, Verdict::Weak},
    {"LinkOnAPageCutShort", {PageReading::CutOff, true, true, false, true, 0}, Verdict::Live},
    {"LinkBeforeTheSearchStopped", {kWhole, false, true, false, true, 0}, Verdict::Live},
    {"GonePageEvenWithTheLink", {PageReading::Gone, true, true, false, true, 0}, Verdict::Lost},
    {"NotOnAWholePage", {kWhole, true, false, false, false, 0}, Verdict::Lost},
    {"NotInWhatArrived", {PageReading::CutOff, true, false, false, false, 0}, Verdict::Unverified},
    {"NotOnAnErrorPage",
     {PageReading::HttpError, true, false, false, false, 0},
     Verdict::Unverified},
    {"NotBeforeTheSearchStopped", {kWhole, false, false, false, false, 0}, Verdict::Unverified},
    {"PageNotRead", {PageReading::NotRead, true, false, false, false, 0}, Verdict::Unverified},
    {"FragmentFound", {kWhole, true, true, true, false, RobotsNoFollow}, Verdict::Live},
    {"FragmentOnAPageNotToBeIndexed",
     {kWhole, true, true, true, false, RobotsNoIndex},
     Verdict::Weak},
    {"FragmentNotFound", {kWhole, true, false, true, false, 0}, Verdict::Lost},
};
INSTANTIATE_TEST_SUITE_P(Table, Verdicts, ::testing::ValuesIn(kVerdictCases), testing::caseName);

struct RobotsCase
{
    const char *name;
    const char *page;
    QByteArrayList headers;
    const char *robots;
};

class RobotsRules : public ::testing::TestWithParam<RobotsCase>
{};

TEST_P(RobotsRules, ComeFromMetaElementsAndHeaders)
{
    const RobotsCase &c = GetParam();
    const int rules = pageRobotsRules(QString::fromUtf8(c.page)) | headerRobotsRules(c.headers);
    EXPECT_EQ(robotsText(rules), QString::fromUtf8(c.robots));
}

const RobotsCase kRobotsCases[] = {
    {"Nothing", "<html><head><title>t</title></head></html>", {}, ""},
    {"MetaNoindex", "<meta name=\"robots\" content=\"noindex\">", {}, "noindex"},
    {"MetaBothInAnyCase",
     "<META CONTENT='NoFollow, NOINDEX' NAME='Robots'/>",
     {},
     "noindex nofollow"},
    {"MetaNoneIsBoth", "<meta name=googlebot content=none>", {}, "noindex nofollow"},
    {"MetaIndexFollow", "<meta name=robots content='index, follow'>", {}, ""},
    {"OtherRobotsIgnored", "<meta name=bingbot content=noindex>", {}, ""},
    {"OtherMetaIgnored", "<meta name=description content='noindex nofollow'>", {}, ""},
    {"MetadataIsNotMeta", "<metadata name=robots content=noindex>", {}, ""},
    {"SeveralMetaElementsAdd",
     "<meta name=robots content=nofollow><p>x</p><meta name=googlebot content=noindex>",
     {},
     "noindex nofollow"},
    {"QuotedGreaterThanInsideTheTag", "<meta content='a>b, noindex' name=robots>", {}, "noindex"},
    {"HeaderWithoutAgent", "", {"noindex, nofollow"}, "noindex nofollow"},
    {"HeaderForGooglebot", "", {"googlebot: nofollow"}, "nofollow"},
    {"HeaderForAnotherAgent", "", {"otherbot: noindex, nofollow"}, ""},
    {"HeaderNone", "", {"NONE"}, "noindex nofollow"},
    {"HeaderValueDirectiveIsNoAgent", "", {"unavailable_after: 25 Jun 2030 15:00:00 PST"}, ""},
    {"HeaderListWithAColonLater", "", {"noindex, max-snippet: 20"}, "noindex"},
    {"HeadersAndMetaAdd",
     "<meta name=robots content=nofollow>",
     {"otherbot: nofollow", "noindex"},
     "noindex nofollow"},
};
INSTANTIATE_TEST_SUITE_P(Table, RobotsRules, ::testing::ValuesIn(kRobotsCases), testing::caseName);

// Markup built to hurt: each of these must end, without a crash and in linear time (a quadratic
// scan of 16 MiB would not end within the test's time limit).
TEST(HostileMarkup, EndsInLinearTime)
{
    const qsizetype big = qsizetype{16} * 1024 * 1024;
    QString metaOpenings;
    metaOpenings.reserve(big);
    while (metaOpenings.size() < big) {
        metaOpenings += QStringLiteral("<meta ");
    }
    EXPECT_EQ(pageRobotsRules(metaOpenings), 0);

    QString lastMetaUnclosed(big, u'x');
    lastMetaUnclosed += QStringLiteral("<meta name=robots content=noindex");
    EXPECT_EQ(robotsText(pageRobotsRules(lastMetaUnclosed)), QStringLiteral("noindex"));

    QString unclosedQuotes;
    while (unclosedQuotes.size() < big) {
        unclosedQuotes += QStringLiteral("<meta name='robots content=\"noindex ");
    }
    pageRobotsRules(unclosedQuotes); // whatever it finds, it ends

    QString thousands;
    for (int i = 0; i < 50000; ++i) {
        thousands += QStringLiteral("<meta name=keywords content='a, b'>");
    }
    thousands += QStringLiteral("<meta name=robots content=nofollow>");
    EXPECT_EQ(robotsText(pageRobotsRules(thousands)), QStringLiteral("nofollow"));

    const QString longRel = QStringLiteral("<a rel='") + QString(1'000'000, u'n') +
                            QStringLiteral(" ugc' href='https://site.b/'>x</a>");
    QString link;
    QString anchor;
    ShownLink shown;
    ASSERT_TRUE(Find_Link(longRel, QStringLiteral("site.b"), link, anchor, false, shown));
    EXPECT_EQ(linkTypeText(longRel, shown), QStringLiteral("ugc"));

    EXPECT_EQ(relLinkType(QStringLiteral("<a rel='nofollow")), QStringLiteral("nofollow"));
    EXPECT_EQ(relLinkType(QStringLiteral("<a rel=")), QStringLiteral("dofollow"));
    EXPECT_EQ(relLinkType(QStringLiteral("<")), QStringLiteral("dofollow"));
}

} // namespace
} // namespace orvane
