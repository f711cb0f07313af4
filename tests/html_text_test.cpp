#include "engine/html_text.h"
#include "support/named_cases.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using orvane::testing::caseName;
using orvane::testing::text;

struct HtmlTextCase
{
    const char *name;
    const char16_t *raw;
    const char16_t *shown;
};

const HtmlTextCase kCases[] = {
    {"NothingToDo", u"Our site", u"Our site"},
    {"NamedBasics", u"Tom &amp; Jerry &quot;q&quot; &lt;b&gt; &apos;", u"Tom & Jerry \"q\" <b> '"},
    {"NamedLatin1", u"&nbsp;&copy;&Eacute;&yuml;", u"\u00a0\u00a9\u00c9\u00ff"},
    {"NamedPunctuation", u"&mdash;&hellip;&euro;&OElig;&tilde;", u"\u2014\u2026\u20ac\u0152\u02dc"},
    {"NamesHaveCase", u"&dagger;&Dagger;&AMP;", u"\u2020\u2021&AMP;"},
    {"Decimal", u"a&#8212;b&#65;", u"a\u2014bA"},
    {"Hexadecimal", u"&#x2014;&#X2014;&#x1F600;", u"\u2014\u2014\U0001F600"},
    {"NumericAsWindows1252", u"&#128;&#x97;&#x81;", u"\u20ac\u2014\u0081"},
    {"NumericReplaced", u"&#0;&#xD800;&#x110000;&#99999999999999999999;",
     u"\ufffd\ufffd\ufffd\ufffd"},
    {"UnknownStays", u"&bogus; &verylongname; & &; &#; &#x;",
     u"&bogus; &verylongname; & &; &#; &#x;"},
    {"UnterminatedStays", u"&amp &#8212 &copy", u"&amp &#8212 &copy"},
    {"WhiteSpaceRuns", u"\t Our\r\n\f site  \n", u"Our site"},
    {"DecodedWhiteSpaceToo", u"a&#9;&#10;b", u"a b"},
    {"AddressWithAmp", u"https://site.example/?a=1&amp;b=2", u"https://site.example/?a=1&b=2"},
};

class HtmlText : public ::testing::TestWithParam<HtmlTextCase>
{};

TEST_P(HtmlText, ShowsTheTextAsABrowserDoes)
{
    EXPECT_EQ(browserText(text(GetParam().raw)), text(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Table, HtmlText, ::testing::ValuesIn(kCases), caseName);

} // namespace
} // namespace orvane
