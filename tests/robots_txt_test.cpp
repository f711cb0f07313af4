#include "engine/robots_txt.h"
#include "support/named_cases.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <string>

namespace orvane {
namespace {

struct RobotsTxtCase
{
    const char *name;
    std::string robots;
    std::string path;
    bool allowed;
};

std::string repeated(const char *piece, int times)
{
    return QByteArray(piece).repeated(times).toStdString();
}

const std::string kAll = "User-agent: *\n";
const std::string kTwoGooglebotGroups = "User-agent: googlebot\nDisallow: /a\n" + kAll +
                                        "Allow: /\nUser-agent: googlebot\nDisallow: /b";
const std::string kTooBig = kAll + repeated("Disallow: /private-folder-number-x\n", 15000);

// Google's own examples of matching and precedence come first.
const RobotsTxtCase kCases[] = {
    {"RootMatchesEveryPage", kAll + "Disallow: /", "/anything", false},
    {"StarIsRoot", kAll + "Disallow: /*", "/", false},
    {"RootDollarMatchesRoot", kAll + "Disallow: /$", "/", false},
    {"RootDollarNotPage", kAll + "Disallow: /$", "/page.htm", true},
    {"FishMatchesFishHtml", kAll + "Disallow: /fish", "/fish.html", false},
    {"FishMatchesQuery", kAll + "Disallow: /fish", "/fish.php?id=anything", false},
    {"FishNotCapitalFish", kAll + "Disallow: /fish", "/Fish.asp", true},
    {"FishNotCatfish", kAll + "Disallow: /fish", "/catfish", true},
    {"FishNotInQuery", kAll + "Disallow: /fish", "/?id=fish", true},
    {"FishStarLikeFish", kAll + "Disallow: /fish*", "/fishheads/yummy.html", false},
    {"FishSlashMatchesQuery", kAll + "Disallow: /fish/", "/fish/?id=anything", false},
    {"FishSlashNotFish", kAll + "Disallow: /fish/", "/fish", true},
    {"PhpAnywhere", kAll + "Disallow: /*.php", "/folder/any.php.file.html", false},
    {"PhpNotRoot", kAll + "Disallow: /*.php", "/", true},
    {"PhpNotUpperCase", kAll + "Disallow: /*.php", "/windows.PHP", true},
    {"PhpEndMatches", kAll + "Disallow: /*.php$", "/folder/filename.php", false},
    {"PhpEndNotParameters", kAll + "Disallow: /*.php$", "/filename.php?parameters", true},
    {"PhpEndNotPhp5", kAll + "Disallow: /*.php$", "/filename.php5", true},
    {"FishStarPhpMatches", kAll + "Disallow: /fish*.php", "/fishheads/catfish.php?p", false},
    {"FishStarPhpNotUpper", kAll + "Disallow: /fish*.php", "/Fish.PHP", true},
    {"LongerAllowWins", kAll + "Allow: /p\nDisallow: /", "/page", true},
    {"EqualAllowWins", kAll + "Allow: /folder\nDisallow: /folder", "/folder/page", true},
    {"LongerStarDisallowWins", kAll + "Allow: /page\nDisallow: /*.htm", "/page.htm", false},
    {"EqualStarAllowWins", kAll + "Allow: /page\nDisallow: /*.ph", "/page.php5", true},
    {"AllowRootDollarOnRoot", kAll + "Allow: /$\nDisallow: /", "/", true},
    {"AllowRootDollarNotPage", kAll + "Allow: /$\nDisallow: /", "/page.htm", false},
    {"GooglebotGroupPreferred", kAll + "Disallow: /\nUser-agent: Googlebot\nDisallow: /x", "/p",
     true},
    {"NewsBotNotGooglebot", "User-agent: Googlebot-News\nAllow: /\n" + kAll + "Disallow: /", "/p",
     false},
    {"VersionedGooglebot", "User-agent: Googlebot/2.1\nDisallow: /", "/p", false},
    {"MergedGroupsFirst", kTwoGooglebotGroups, "/a", false},
    {"MergedGroupsSecond", kTwoGooglebotGroups, "/b", false},
    {"AgentsShareGroup", "User-agent: bingbot\nUser-agent: googlebot\nDisallow: /", "/p", false},
    {"RulesBeforeGroupIgnored", "Disallow: /\n" + kAll + "Disallow: /private", "/p", true},
    {"NoGroupForUs", "User-agent: bingbot\nDisallow: /", "/p", true},
    {"CaseIgnoredInKeysAndAgent", "USER-AGENT: GOOGLEBOT\nDISALLOW: /p", "/p", false},
    {"SitemapKeepsGroup", kAll + "Sitemap: https://example.com/s.xml\nDisallow: /", "/p", false},
    {"EmptyDisallowAllowsAll", "User-agent: googlebot\nDisallow:\n" + kAll + "Disallow: /", "/p",
     true},
    {"LineWithoutColonIgnored", kAll + "Disallow /", "/p", true},
    {"EmptyPathIsRoot", kAll + "Disallow: /$", "", false},
    {"DollarInsideIsLiteral", kAll + "Disallow: /a$b", "/a$b", false},
    {"UnreservedEscapesDecoded", kAll + "Disallow: /foo/bar/%62%61%7A", "/foo/bar/baz", false},
    {"EscapeHexCaseIgnored", kAll + "Disallow: /%e3%83%84", "/%E3%83%84", false},
    {"RawUtf8IsEscaped", kAll + "Disallow: /\xE3\x83\x84", "/%e3%83%84", false},
    {"EscapedSlashIsNotSlash", kAll + "Disallow: /a%2Fb", "/a/b", true},
    {"BomCrLfAndComments", "\xEF\xBB\xBFuser-agent: * # all\r\ndisallow: /x # no\r\n", "/x/y",
     false},
    {"CarriageReturnsOnly", "User-agent: *\rDisallow: /\r", "/p", false},
    {"PastTheLimitIgnored", kTooBig + "Allow: /private-folder-number-x\n",
     "/private-folder-number-x", false},
    {"ManyStarsTooFew", kAll + "Disallow: /" + repeated("*a", 100000), "/" + repeated("a", 4095),
     true},
    {"ManyStarsMatch", kAll + "Disallow: /" + repeated("*a", 2000) + "*b$",
     "/" + repeated("a", 4094) + "b", false},
    {"LongSegmentNearMiss", kAll + "Disallow: /*" + repeated("a", 2000) + "b",
     "/" + repeated("a", 4095), true},
};

class RobotsTxt : public ::testing::TestWithParam<RobotsTxtCase>
{};

TEST_P(RobotsTxt, DecidesLikeGooglebot)
{
    const RobotsTxtCase &c = GetParam();
    EXPECT_EQ(orvane::RobotsTxt::parse(c.robots).allows(c.path), c.allowed);
}

INSTANTIATE_TEST_SUITE_P(Table, RobotsTxt, ::testing::ValuesIn(kCases), testing::caseName);

} // namespace
} // namespace orvane
