#include "engine/link_finder.h"
#include "engine/pcre_pattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include "support/named_cases.h"

#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>
#include <pcre2.h>
#include <string>

using namespace Qt::StringLiterals;

namespace orvane {
namespace {

using orvane::testing::caseName;
using orvane::testing::text;

// Whole-subject match of a pattern (anchored by the pattern itself where it matters).
bool matches(const QString &pattern, const QString &subject,
             CaseFolding folding = CaseFolding::AsciiOnly)
{
    PcrePattern compiled(pattern, folding);
    PcrePattern::Searcher searcher(compiled, subject);
    return searcher.find(0);
}

// ----- What "\s" means -----------------------------------------------------------------------

struct SpaceCase
{
    const char *name;
    char16_t character;
    bool isWhiteSpace;
};

const SpaceCase kSpaceCases[] = {
    {"Space", u' ', true},
    {"Tab", u'\t', true},
    {"LineFeed", u'\n', true},
    {"FormFeed", u'\f', true},
    {"CarriageReturn", u'\r', true},
    {"VerticalTab", u'\v', false},
    {"NoBreakSpace", u'\u00A0', false},
    {"NextLine", u'\u0085', false},
    {"OghamSpace", u'\u1680', false},
    {"EnQuad", u'\u2000', false},
    {"LineSeparator", u'\u2028', false},
    {"ParagraphSeparator", u'\u2029', false},
    {"IdeographicSpace", u'\u3000', false},
    {"ByteOrderMark", u'\uFEFF', false},
    {"Letter", u'x', false},
};

class PcreWhiteSpace : public ::testing::TestWithParam<SpaceCase>
{};

TEST_P(PcreWhiteSpace, LinkPatternAcceptsExactlyTheFiveCharactersAroundEqualsAndClosingTag)
{
    const QString c(QChar(GetParam().character));
    const QString page = u"<a href" + c + u"=" + c + u"'https://site.example/'>t</a" + c + u">";
    PcrePattern pattern(text(kLinkPattern));
    PcrePattern::Searcher searcher(pattern, page);
    ASSERT_TRUE(searcher.find(0)); // the bare address matches at least
    if (GetParam().isWhiteSpace) {
        EXPECT_EQ(searcher.groupCount(), 3);
        EXPECT_EQ(searcher.group(0), page);
    } else {
        // No anchor element: the address inside the attribute is a bare address.
        EXPECT_EQ(searcher.groupCount(), 1);
        EXPECT_EQ(searcher.group(0), u"https://site.example/"_s);
    }
}

TEST_P(PcreWhiteSpace, TrimPatternRemovesItOnlyWhenWhiteSpace)
{
    const QString c(QChar(GetParam().character));
    PcrePattern pattern(text(kTrimPattern));
    const QString expectedLeading = GetParam().isWhiteSpace ? u"x"_s : c + u"x";
    const QString expectedTrailing = GetParam().isWhiteSpace ? u"x"_s : u"x" + c;
    EXPECT_EQ(pattern.removeAll(c + u"x"), expectedLeading);
    EXPECT_EQ(pattern.removeAll(u"x" + c), expectedTrailing);
    EXPECT_EQ(pattern.removeAll(c + c + u"x" + c + u"y" + c + c),
              GetParam().isWhiteSpace ? QString(u"x"_s + c + u"y")
                                      : QString(c + c + u"x" + c + u"y" + c + c));
}

INSTANTIATE_TEST_SUITE_P(Characters, PcreWhiteSpace, ::testing::ValuesIn(kSpaceCases), caseName);

// ----- Pattern rewriting, judged by what the compiled pattern matches -------------------------

struct RewriteCase
{
    const char *name;
    const char16_t *pattern;
    const char16_t *subject;
    bool matches;
};

const RewriteCase kRewriteCases[] = {
    {"SpaceEscapeMatchesSpace", u"^a\\sb$", u"a b", true},
    {"SpaceEscapeMatchesFormFeed", u"^a\\sb$", u"a\fb", true},
    {"SpaceEscapeSkipsVerticalTab", u"^a\\sb$", u"a\vb", false},
    {"SpaceEscapeSkipsNoBreakSpace", u"^a\\sb$", u"a\u00A0b", false},
    {"SpaceEscapeInClassSkipsVerticalTab", u"^[\\s]$", u"\v", false},
    {"SpaceEscapeInClassMatchesCarriageReturn", u"^[x\\s]$", u"\r", true},
    {"EscapedBackslashThenLetterS", u"^a\\\\sb$", u"a\\sb", true},
    {"EscapedBackslashThenLetterSIsNoSpace", u"^a\\\\sb$", u"a b", false},
    {"EscapedBackslashThenSpaceEscape", u"^a\\\\\\sb$", u"a\\ b", true},
    {"ClassOfBackslashAndLetterS", u"^[\\\\s]+$", u"\\sS", true},
    {"ClassOfBackslashAndLetterSIsNoSpace", u"^[\\\\s]$", u" ", false},
    {"LettersIgnoreAsciiCase", u"^href$", u"HrEf", true},
    {"KDoesNotMatchKelvinSign", u"^k$", u"\u212A", false},
    {"SDoesNotMatchLongS", u"^s$", u"\u017F", false},
    {"LetterRangeDoesNotMatchKelvinSign", u"^[a-z]$", u"\u212A", false},
    {"BothRangesDoNotMatchLongS", u"^[a-zA-Z]$", u"\u017F", false},
    {"LowerRangeMatchesUpperLetter", u"^[a-z]$", u"Q", true},
    {"RangeOverUpperLettersFoldsThemAll", u"^[0-c]+$", u"09xyzXYZ", true},
    {"PartialRangeFoldsItsLetters", u"^[b-d]+$", u"BcD", true},
    {"PartialRangeStaysPartial", u"^[b-d]$", u"E", false},
    {"RangeAcrossBothCasesFoldsEachPart", u"^[Y-b]+$", u"yzAB_`", true},
    {"RangeAcrossBothCasesStaysPartial", u"^[Y-b]$", u"c", false},
    {"TrailingHyphenStaysLiteral", u"^[a-]+$", u"A-a", true},
    {"TrailingHyphenMakesNoRange", u"^[a-]$", u"B", false},
    {"QuantifierAppliesToLastLetterOnly", u"^https?$", u"HTTP", true},
    {"QuantifiedLetterFoldsCase", u"^https?$", u"httpS", true},
    {"QuantifiedLetterSkipsLongS", u"^https?$", u"http\u017F", false},
    {"EscapedSlashAndQuote", u"^<\\/a\\\"$", u"</A\"", true},
    {"EscapedBracketsInClass", u"^[\\]\\\\]+$", u"]\\", true},
    {"RangeFromHyphen", u"^[--/]+$", u"-./", true},
    {"HyphenAfterSpaceEscapeIsLiteral", u"^[\\s-]+$", u" -\t", true},
    {"HyphenAfterSpaceEscapeMakesNoRange", u"^[\\s-]$", u"!", false},
    {"EscapedHyphenIsLiteral", u"^[a\\-z]+$", u"-AZ", true},
    {"EscapedHyphenMakesNoRange", u"^[a\\-z]$", u"m", false},
    {"HyphenAfterRangeIsLiteral", u"^[a-c-]+$", u"-Cb", true},
    {"HyphenAfterRangeMakesNoRange", u"^[a-c-]$", u"D", false},
    {"LazyQuantifierOnLetter", u"^https??$", u"HTTPs", true},
    {"AlternativesFoldEach", u"^(?:ab|cd)$", u"Cd", true},
    {"DotTakesLineBreaks", u"^a.b$", u"a\nb", true},
    {"DollarBeforeFinalLineFeed", u"^ab$", u"ab\n", true},
    {"DollarBeforeFinalVerticalTab", u"^ab$", u"ab\v", true},
    {"DollarNotBeforeOtherLineFeed", u"^ab$", u"ab\nx", false},
};

class PcreRewrite : public ::testing::TestWithParam<RewriteCase>
{};

TEST_P(PcreRewrite, CompiledPatternMatchesAsIntended)
{
    const RewriteCase &c = GetParam();
    EXPECT_EQ(matches(text(c.pattern), text(c.subject)), c.matches)
        << "rewritten as " << rewritePattern(text(c.pattern)).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, PcreRewrite, ::testing::ValuesIn(kRewriteCases), caseName);

// PCRE2's own caseless mode folds ASCII letters just as the rewrite does: on ASCII subjects the
// two must agree.
TEST(PcreCaseFolding, EngineAgreesOnTheAsciiSubjectsOfTheRewriteCases)
{
    int compared = 0;
    for (const RewriteCase &c : kRewriteCases) {
        const QString subject = text(c.subject);
        if (std::any_of(subject.begin(), subject.end(),
                        [](QChar unit) { return unit.unicode() > 0x7F; }))
            continue;
        EXPECT_EQ(matches(text(c.pattern), subject, CaseFolding::Engine), c.matches) << c.name;
        ++compared;
    }
    EXPECT_GT(compared, 30);
}

TEST(PcreRewriteGroups, LazyQuantifiersStayLazy)
{
    PcrePattern pattern(u"<(.*?)>|(b+?)"_s);
    PcrePattern::Searcher searcher(pattern, u"<A><B> BBB"_s);
    QStringList found;
    qsizetype from = 0;
    while (searcher.find(from)) {
        found << searcher.group(searcher.groupCount() - 1);
        from = searcher.matchEnd();
    }
    EXPECT_EQ(found, (QStringList{u"A"_s, u"B"_s, u"B"_s, u"B"_s, u"B"_s}));
}

TEST(PcreRewriteGroups, RewritingAddsNoCapturingGroup)
{
    PcrePattern pattern(u"(ab)(c[d-f])|https?"_s);
    PcrePattern::Searcher searcher(pattern, u"xx HTTP abce"_s);
    ASSERT_TRUE(searcher.find(0));
    EXPECT_EQ(searcher.groupCount(), 1);
    EXPECT_EQ(searcher.group(0), u"HTTP"_s);
    ASSERT_TRUE(searcher.find(searcher.matchEnd()));
    EXPECT_EQ(searcher.groupCount(), 3);
    EXPECT_EQ(searcher.group(1), u"ab"_s);
    EXPECT_EQ(searcher.group(2), u"ce"_s);
    EXPECT_THROW(searcher.group(3), std::out_of_range);
}

TEST(PcreRewriteGroups, UnsupportedConstructsAreRefused)
{
    EXPECT_THROW(PcrePattern(u"(?i)a"_s), std::invalid_argument);
    EXPECT_THROW(PcrePattern(u"(?-i:a)"_s), std::invalid_argument);
    EXPECT_THROW(PcrePattern(u"[[:alpha:]]"_s), std::invalid_argument);
    EXPECT_THROW(PcrePattern(u"[\\S]"_s), std::invalid_argument);
    EXPECT_THROW(PcrePattern(u"[a\u00E9]"_s), std::invalid_argument);
    EXPECT_THROW(PcrePattern(u"[abc"_s), std::invalid_argument);
    EXPECT_THROW(PcrePattern(u"a)"_s), PcreError);
}

// PCRE2 10.42 on its own lets ASCII letters match these under UTF caseless matching, which is why
// the letters are rewritten.
TEST(PcreCaseFolding, EngineAloneFoldsKelvinSignAndLongS)
{
    auto engineMatches = [](const char16_t *pattern, const char16_t *subject) {
        PcrePattern compiled(text(pattern), CaseFolding::Engine);
        PcrePattern::Searcher searcher(compiled, text(subject));
        return searcher.find(0);
    };
    EXPECT_TRUE(engineMatches(u"^k$", u"\u212A"));
    EXPECT_TRUE(engineMatches(u"^s$", u"\u017F"));
    EXPECT_TRUE(engineMatches(u"^[a-zA-Z]$", u"\u212A"));
    EXPECT_TRUE(engineMatches(u"^[a-zA-Z]$", u"\u017F"));
    // "\s" is rewritten either way.
    EXPECT_FALSE(engineMatches(u"\\s", u"\v"));
}

TEST(PcreCaseFolding, LinkPatternMatchesNoNonAsciiLetterVariant)
{
    PcrePattern pattern(text(kLinkPattern));
    auto firstMatch = [&](const QString &subject) {
        PcrePattern::Searcher searcher(pattern, subject);
        return searcher.find(0) ? searcher.group(0) : u"(none)"_s;
    };
    EXPECT_EQ(firstMatch(u"httpſ://site.example/"_s), u"(none)"_s);
    EXPECT_EQ(firstMatch(u"https://ma\u212Aer.example/"_s), u"https://ma"_s);
    EXPECT_EQ(firstMatch(u"https://ro\u017Fe.example/"_s), u"https://ro"_s);
    EXPECT_EQ(firstMatch(u"HTTPS://Maker.Example/"_s), u"HTTPS://Maker.Example/"_s);
}

// ----- Engine set-up ----------------------------------------------------------------------------

TEST(PcreEngine, UsesJitOnThisMachine)
{
    EXPECT_TRUE(PcrePattern(text(kLinkPattern)).usesJit());
    EXPECT_TRUE(PcrePattern(text(kTrimPattern)).usesJit());
}

// Machines without the JIT use the interpreter: both must see the same matches.
TEST(PcreEngine, InterpreterFindsTheSameMatchesAsTheJit)
{
    const QString pages[] = {
        u"<p>See <a href='https://blog.site.example/page'>Example <b>site</b></a></p>"_s,
        u"<A HREF = 'https://site.example/'>  Home  </A > Visit https://site.example/page."_s,
        u"<a\nhref='https://site.example/'>x</a> <a href=https://x.example/>E</a> <a "
        u"href='/about'>About</a>"_s,
        u"<a href\v='https://site.example/'>x</a> https://ma\u212Aer.example/ "
        u"<a href=\"https://site.example/it's\">x</a>"_s,
        QString(QChar(char16_t(0xD800))) + u"<a href='/\U0001F600'>\U0001F600</a>"_s,
    };
    const PcrePattern jit(text(kLinkPattern));
    const PcrePattern interpreter(text(kLinkPattern), CaseFolding::AsciiOnly, JitMode::Off);
    ASSERT_FALSE(interpreter.usesJit());
    auto allMatches = [](const PcrePattern &pattern, const QString &page) {
        PcrePattern::Searcher searcher(pattern, page);
        QStringList found;
        qsizetype from = 0;
        while (searcher.find(from)) {
            found << QString::number(searcher.matchStart()) + u':' +
                         QString::number(searcher.groupCount()) + u':' +
                         searcher.group(searcher.groupCount() - 1);
            from = searcher.matchEnd();
        }
        return found;
    };
    for (const QString &page : pages) {
        const QStringList expected = allMatches(jit, page);
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(allMatches(interpreter, page), expected) << page.toStdString();
    }
}

TEST(PcreEngine, CompileErrorIsReported)
{
    try {
        PcrePattern pattern(u"a(b"_s);
        FAIL() << "compiled";
    } catch (const PcreError &error) {
        EXPECT_EQ(error.code(), PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS);
    }
}

// What the rewrite leaves to PCRE2 is reported as PCRE2's compile error.
struct CompileErrorCase
{
    const char *name;
    const char16_t *pattern;
    int code;
};

const CompileErrorCase kCompileErrors[] = {
    {"UnmatchedParenthesis", u"a)", PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS},
    {"NothingToRepeat", u"*a", PCRE2_ERROR_QUANTIFIER_INVALID},
    {"NothingToRepeatAfterBar", u"a|?b", PCRE2_ERROR_QUANTIFIER_INVALID},
    {"ReversedRange", u"[z-a]", PCRE2_ERROR_CLASS_RANGE_ORDER},
    {"ReversedRangeOfPunctuation", u"[/--]", PCRE2_ERROR_CLASS_RANGE_ORDER},
    {"TrailingBackslash", u"ab\\", PCRE2_ERROR_END_BACKSLASH},
};

class PcreCompileError : public ::testing::TestWithParam<CompileErrorCase>
{};

TEST_P(PcreCompileError, IsReportedWithPcre2sCode)
{
    for (const CaseFolding folding : {CaseFolding::AsciiOnly, CaseFolding::Engine}) {
        try {
            PcrePattern pattern(text(GetParam().pattern), folding);
            ADD_FAILURE() << "compiled";
        } catch (const PcreError &error) {
            EXPECT_EQ(error.code(), GetParam().code) << error.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PcreCompileError, ::testing::ValuesIn(kCompileErrors), caseName);

// ----- Searching
// ----------------------------------------------------------------------------------

TEST(PcreSearcher, MatchLimitEndsTheSearchAsGivenUp)
{
    // At the first "<a" the anchor alternative tries every later href, quote and ">" before it
    // fails (there is no "</a"): far beyond the match limit.
    QString subject;
    while (subject.size() < qsizetype{256} * 1024)
        subject += u"<a href=\"x\">y";
    PcrePattern pattern(text(kLinkPattern));
    PcrePattern::Searcher searcher(pattern, subject);
    EXPECT_FALSE(searcher.find(0));
    EXPECT_TRUE(searcher.gaveUp());
    EXPECT_EQ(searcher.lastResult(), PCRE2_ERROR_MATCHLIMIT);
}

TEST(PcreSearcher, SearchThatNeedsMoreJitStackGetsIt)
{
    // Every repetition of a capturing group keeps a backtracking frame on the JIT stack: 10,000
    // of them do not fit into 32 KiB.
    PcrePattern pattern(u"^(a|b)*c"_s);
    ASSERT_TRUE(pattern.usesJit());
    PcrePattern::Searcher searcher(pattern, QString(10'000, u'a') + u'c');
    EXPECT_TRUE(searcher.find(0));
    EXPECT_EQ(searcher.matchEnd(), 10'001);
}

TEST(PcreSearcher, SearchBeyondTheLargestJitStackGivesUp)
{
    PcrePattern pattern(u"^(a|b)*c"_s);
    PcrePattern::Searcher searcher(pattern, QString(1'000'000, u'a') + u'c');
    EXPECT_FALSE(searcher.find(0));
    EXPECT_TRUE(searcher.gaveUp());
    EXPECT_EQ(searcher.lastResult(), PCRE2_ERROR_JIT_STACKLIMIT);
}

TEST(PcreSearcher, NoMatchIsNotGivingUp)
{
    PcrePattern pattern(text(kLinkPattern));
    PcrePattern::Searcher searcher(pattern, u"<p>nothing here</p>"_s);
    EXPECT_FALSE(searcher.find(0));
    EXPECT_FALSE(searcher.gaveUp());
    EXPECT_EQ(searcher.lastResult(), PCRE2_ERROR_NOMATCH);
}

TEST(PcreSearcher, SuccessiveMatchesResumeAtTheEndOfTheLast)
{
    PcrePattern pattern(text(kLinkPattern));
    const QString subject =
        u"a https://one.example/ b <a href='/two'>Two</a> http://three.example"_s;
    PcrePattern::Searcher searcher(pattern, subject);
    QStringList found;
    qsizetype from = 0;
    while (searcher.find(from)) {
        found << searcher.group(searcher.groupCount() > 1 ? 1 : 0);
        from = searcher.matchEnd();
    }
    EXPECT_EQ(found,
              (QStringList{u"https://one.example/"_s, u"/two"_s, u"http://three.example"_s}));
    EXPECT_FALSE(searcher.gaveUp());
}

TEST(PcreSearcher, OffsetsAreUtf16IndexesAroundSurrogatePairs)
{
    PcrePattern pattern(text(kLinkPattern));
    const QString subject = u"\U0001F600 https://site.example/\U0001F600"_s;
    PcrePattern::Searcher searcher(pattern, subject);
    ASSERT_TRUE(searcher.find(0));
    EXPECT_EQ(searcher.matchStart(), 3);
    EXPECT_EQ(searcher.group(0), u"https://site.example/"_s);
    // A start inside a surrogate pair is refused rather than searched.
    EXPECT_FALSE(searcher.find(1));
    EXPECT_TRUE(searcher.gaveUp());
    EXPECT_FALSE(searcher.find(subject.size() + 1));
}

struct LoneSurrogateCase
{
    const char *name;
    char16_t unit;
    qsizetype validBefore; // characters of valid text before it
};

const LoneSurrogateCase kLoneSurrogates[] = {
    {"High", 0xD83D, 0},
    {"Low", 0xDE00, 0},
    {"HighFarIn", 0xD83D, 5000},
    {"LowFarIn", 0xDE00, 5000},
};

class PcreInvalidSubject : public ::testing::TestWithParam<LoneSurrogateCase>
{};

TEST_P(PcreInvalidSubject, LoneSurrogateIsSearchedSafelyAndGroupsKeepIt)
{
    const QChar lone(GetParam().unit);
    const QString href = u"https://site.example/" + QString(lone);
    // Valid text first, pairs included, so that the broken unit may lie blocks into the page.
    const QString prefix = QString(GetParam().validBefore, u'.') + u"\U0001F600";
    const QString subject = prefix + QString(lone) + u" <a href='" + href + u"'>x" + QString(lone) +
                            u"</a> " + QString(lone) + u" https://two.example/" + QString(lone);
    ASSERT_FALSE(QStringView(subject).isValidUtf16());
    PcrePattern pattern(text(kLinkPattern));
    PcrePattern::Searcher searcher(pattern, subject);
    ASSERT_TRUE(searcher.find(0));
    EXPECT_EQ(searcher.groupCount(), 3);
    EXPECT_EQ(searcher.group(1), href);
    EXPECT_EQ(searcher.group(2), u"x" + QString(lone));
    ASSERT_TRUE(searcher.find(searcher.matchEnd()));
    EXPECT_EQ(searcher.group(0), u"https://two.example/"_s);
    EXPECT_FALSE(searcher.find(searcher.matchEnd()));
    EXPECT_FALSE(searcher.gaveUp());
}

INSTANTIATE_TEST_SUITE_P(Units, PcreInvalidSubject, ::testing::ValuesIn(kLoneSurrogates), caseName);

TEST(PcreSearcher, RemoveAllDropsEveryMatchLeftToRight)
{
    PcrePattern pattern(u"b+"_s);
    EXPECT_EQ(pattern.removeAll(u"abbcbBd"_s), u"acd"_s);
    EXPECT_EQ(pattern.removeAll(u"bbb"_s), u""_s);
    EXPECT_EQ(pattern.removeAll(u"xyz"_s), u"xyz"_s);
    EXPECT_EQ(pattern.removeAll(QString()), u""_s);
}

} // namespace
} // namespace orvane
