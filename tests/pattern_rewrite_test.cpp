#include "engine/pattern_rewrite.h"
#include "support/named_cases.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace orvane {
namespace {

using orvane::testing::caseName;
using orvane::testing::text;

// What the link finder's patterns never use is refused, whatever the case folding, with the place
// it starts at. (How accepted patterns match is judged in pcre_pattern_test.cpp.)
struct RefusedCase
{
    const char *name;
    const char16_t *pattern;
    int offset;
};

const RefusedCase kRefused[] = {
    {"InlineCaseOption", u"a(?i)b", 1},
    {"ScopedCaseOption", u"(?-i:a)", 0},
    {"Lookahead", u"(?=a)", 0},
    {"NamedGroup", u"(?<n>a)", 0},
    {"Verb", u"(*UTF)a", 0},
    {"CountedRepeat", u"ab{2}", 2},
    {"UnescapedBrace", u"a{x}", 1},
    {"PossessiveStar", u"a*+", 2},
    {"PossessivePlus", u"a++", 2},
    {"PossessiveOptional", u"a?+", 2},
    {"QuantifierAfterLazyOne", u"a+??", 3},
    {"DigitEscape", u"a\\d", 1},
    {"WordEscape", u"\\w", 0},
    {"NonSpaceEscape", u"x\\S", 1},
    {"FormFeedEscape", u"\\f", 0},
    {"HexEscape", u"\\x41", 0},
    {"QuotedText", u"\\Qa\\E", 0},
    {"BackReference", u"(a)\\1", 3},
    {"WordBoundary", u"\\bx", 0},
    {"NegatedClass", u"[^a]", 0},
    {"PosixClass", u"[[:alpha:]]", 1},
    {"PosixClassOutsideAClass", u"x[:alpha:]", 1},
    {"ClassBeginningWithBracket", u"[]a]", 0},
    {"UnclosedClass", u"a[bc", 1},
    {"UnclosedClassAfterBackslash", u"[a\\", 0},
    {"LetterEscapeInClass", u"[a\\d]", 2},
    {"RangeFromEscape", u"[\\s-z]", 3},
    {"RangeToEscape", u"[a-\\n]", 3},
    {"HyphenAfterRange", u"[a-c-e]", 4},
    {"NonAsciiLetter", u"caf\u00E9", 3},
    {"NonAsciiInClass", u"[a\u00E9]", 2},
    {"KelvinSign", u"\u212A", 0},
};

class PatternRewriteRefuses : public ::testing::TestWithParam<RefusedCase>
{};

TEST_P(PatternRewriteRefuses, NamingWhereTheConstructStarts)
{
    const std::string where = " at offset " + std::to_string(GetParam().offset) + " ";
    for (const CaseFolding folding : {CaseFolding::AsciiOnly, CaseFolding::Engine}) {
        try {
            const QString rewritten = rewritePattern(text(GetParam().pattern), folding);
            ADD_FAILURE() << "rewritten as " << rewritten.toStdString();
        } catch (const std::invalid_argument &error) {
            EXPECT_NE(std::string(error.what()).find(where), std::string::npos) << error.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Constructs, PatternRewriteRefuses, ::testing::ValuesIn(kRefused),
                         caseName);

} // namespace
} // namespace orvane
