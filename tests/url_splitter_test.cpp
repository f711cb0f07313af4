#include "listtools/url_splitter.h"
#include "support/named_cases.h"
#include "support/qt_print.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace orvane {
namespace {

using orvane::testing::caseName;

struct SplitCase
{
    const char *name;
    const char16_t *input;
    const char16_t *protocol = u"";
    const char16_t *host = u"";
    const char16_t *port = u"";
    const char16_t *path = u"";
    const char16_t *document = u"";
    const char16_t *params = u"";
    const char16_t *bookmark = u"";
    const char16_t *username = u"";
    const char16_t *password = u"";
    bool ipv6 = false;
    const char16_t *uri = nullptr; // the input itself when null
};

class UrlSplitterCases : public ::testing::TestWithParam<SplitCase>
{};

TEST_P(UrlSplitterCases, SplitsIntoItsParts)
{
    const SplitCase &c = GetParam();
    // One reused instance: a split must not keep anything of the one before.
    static UrlSplitter splitter;
    splitter.setURI(QStringLiteral("x://user:pw@[::2]:1/p/d?q#b"));
    splitter.setURI(QString::fromUtf16(c.input));

    EXPECT_EQ(splitter.Protocol(), QString::fromUtf16(c.protocol));
    EXPECT_EQ(splitter.Host(), QString::fromUtf16(c.host));
    EXPECT_EQ(splitter.Port(), QString::fromUtf16(c.port));
    EXPECT_EQ(splitter.Path(), QString::fromUtf16(c.path));
    EXPECT_EQ(splitter.Document(), QString::fromUtf16(c.document));
    EXPECT_EQ(splitter.Params(), QString::fromUtf16(c.params));
    EXPECT_EQ(splitter.Bookmark(), QString::fromUtf16(c.bookmark));
    EXPECT_EQ(splitter.Username(), QString::fromUtf16(c.username));
    EXPECT_EQ(splitter.Password(), QString::fromUtf16(c.password));
    EXPECT_EQ(splitter.IPVersion(),
              c.ipv6 ? UrlSplitter::IPVersionKind::IPv6 : UrlSplitter::IPVersionKind::IPv4);
    EXPECT_EQ(splitter.URI(), QString::fromUtf16(c.uri ? c.uri : c.input));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, UrlSplitterCases, ::testing::Values(
    SplitCase{"Plain", u"s://h", u"s", u"h", u"", u"/"},
    SplitCase{"Everything", u"S://Host.B:8080/p/d.html?q=1#top", u"S", u"Host.B", u"8080", u"/p/", u"d.html", u"q=1#top"},
    SplitCase{"UserAndPort", u"s://u:pw@h:80/", u"s", u"h", u"80", u"/", u"", u"", u"", u"u", u"pw"},
    SplitCase{"PasswordWithoutUser", u"s://:pw@h/", u"s", u"h", u"", u"/"},
    SplitCase{"SecondAtBelongsToHost", u"s://u:p@x@h/", u"s", u"x@h", u"", u"/", u"", u"", u"", u"u", u"p"},
    SplitCase{"BracketedIPv6", u"s://[::1]:8080/x", u"s", u"::1", u"8080", u"/", u"x", u"", u"", u"", u"", true},
    SplitCase{"BracketedIPv6Alone", u"s://[::1]", u"s", u"::1", u"", u"/", u"", u"", u"", u"", u"", true},
    SplitCase{"UnclosedBracket", u"s://[::1", u"s", u"[", u":1", u"/"},
    SplitCase{"UnbracketedIPv6", u"s://::1", u"s", u"", u":1", u"/"},
    SplitCase{"PortKeepsLaterColons", u"s://h:80:90", u"s", u"h", u"80:90", u"/"},
    SplitCase{"QueryRightAfterHost", u"s://h?x=1", u"s", u"h", u"", u"/", u"", u"x=1"},
    SplitCase{"FragmentRightAfterHostIsHost", u"s://h#top", u"s", u"h#top", u"", u"/"},
    SplitCase{"HashInsidePath", u"s://h/a#x/y", u"s", u"h", u"", u"/a#x/", u"y"},
    SplitCase{"Bookmark", u"s://h/d#top", u"s", u"h", u"", u"/", u"d", u"", u"top"},
    SplitCase{"Backslashes", u"s://h\\p\\d", u"s", u"h", u"", u"/p/", u"d", u"", u"", u"", u"", false, u"s://h/p/d"},
    SplitCase{"BackslashedScheme", u"s:\\\\h\\p", u"", u"", u"", u"s:\\\\h/", u"p", u"", u"", u"", u"", false, u"s:\\\\h/p"},
    SplitCase{"TwoLeadingSlashes", u"//h/p", u"", u"", u"", u"//h/", u"p"},
    SplitCase{"RelativePath", u"h/p", u"", u"", u"", u"h/", u"p"},
    SplitCase{"BareHost", u"h", u"", u"", u"", u"", u"h"},
    SplitCase{"NoScheme", u"://h", u"", u"h", u"", u"/"},
    SplitCase{"NothingAfterScheme", u"s://", u"s", u"", u"", u"/"},
    SplitCase{"FirstSchemeMarkAnywhere", u"a.b/r?u=s://c", u"a.b/r?u=s", u"c", u"", u"/"},
    SplitCase{"BlanksAreOrdinary", u"go s://h", u"go s", u"h", u"", u"/"},
    SplitCase{"BlanksInHost", u" s://a b.c /p ", u" s", u"a b.c ", u"", u"/", u"p "},
    SplitCase{"EmptyBrackets", u"s://[]:80/", u"s", u"", u"80", u"/", u"", u"", u"", u"", u"", true},
    SplitCase{"NothingAfterAt", u"s://u@/p", u"s", u"", u"", u"/", u"p", u"", u"", u"u"},
    SplitCase{"RelativeQueryAndBookmark", u"a/b?c#d", u"", u"", u"", u"a/", u"b", u"c#d"},
    SplitCase{"BackslashAfterQueryStays", u"s://h/p?x\\y", u"s", u"h", u"", u"/", u"p", u"x\\y"},
    SplitCase{"Empty", u""}),
    caseName);
// clang-format on

// Where the host comes out empty, told from the address itself rather than from the split.
bool hostShouldBeEmpty(const QString &input)
{
    const QString normalised = UrlSplitter::NormalizePath(input);
    const qsizetype scheme = normalised.indexOf(u"://");
    if (scheme < 0) {
        return true;
    }
    QString authority = normalised.mid(scheme + 3);
    authority =
        authority.left(authority.indexOf(u'?') < 0 ? authority.size() : authority.indexOf(u'?'));
    authority =
        authority.left(authority.indexOf(u'/') < 0 ? authority.size() : authority.indexOf(u'/'));
    if (authority.contains(u'@')) {
        authority = authority.mid(authority.indexOf(u'@') + 1);
    }
    const qsizetype open = authority.indexOf(u'[');
    const qsizetype close = authority.indexOf(u']');
    const bool bracketPair = open >= 0 && close > open;
    return authority.isEmpty() || (!bracketPair && authority.startsWith(u':')) ||
           (bracketPair && close == open + 1);
}

// Random and hostile texts: the split never fails, URI is the input with backslashes turned where
// they should be, and the host is empty exactly in the cases above.
TEST(UrlSplitterProperties, HoldForRandomAndAdversarialInput)
{
    const QString alphabet = QStringLiteral(":/\\?#@[]ab.- ");
    QRandomGenerator random(2026);
    UrlSplitter splitter;
    for (int round = 0; round < 20000; ++round) {
        const qsizetype length =
            round % 100 == 0 ? random.bounded(5000, 20000) : random.bounded(25);
        QString input;
        input.reserve(length);
        for (qsizetype i = 0; i < length; ++i) {
            input.append(alphabet.at(random.bounded(static_cast<int>(alphabet.size()))));
        }
        splitter.setURI(input);

        const QString &uri = splitter.URI();
        ASSERT_EQ(uri.size(), input.size());
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (input.at(i) != u'\\') {
                ASSERT_EQ(uri.at(i), input.at(i));
            }
        }
        ASSERT_EQ(splitter.Host().isEmpty(), hostShouldBeEmpty(input)) << input.toStdString();
        // Nothing is invented: every part comes from the address.
        for (const QString *part : {&splitter.Protocol(), &splitter.Host(), &splitter.Port(),
                                    &splitter.Document(), &splitter.Params(), &splitter.Bookmark(),
                                    &splitter.Username(), &splitter.Password()}) {
            ASSERT_TRUE(uri.contains(*part)) << input.toStdString();
        }
    }
}

TEST(UrlSplitterNormalisation, TurnsBackslashesOnlyBetweenSchemeAndQuery)
{
    EXPECT_EQ(UrlSplitter::NormalizePath(QStringLiteral("a\\b")), QStringLiteral("a/b"));
    EXPECT_EQ(UrlSplitter::NormalizePath(QStringLiteral("s:/\\h\\p")), QStringLiteral("s:/\\h/p"));
    EXPECT_EQ(UrlSplitter::NormalizePath(QStringLiteral("s:\\h\\p")), QStringLiteral("s:/h/p"));
    EXPECT_EQ(UrlSplitter::NormalizePath(QStringLiteral("s://h\\p#a\\b")),
              QStringLiteral("s://h/p#a\\b"));
    EXPECT_EQ(UrlSplitter::NormalizePath(QStringLiteral("s:")), QStringLiteral("s:"));
    EXPECT_EQ(UrlSplitter::NormalizePath(QStringLiteral("s:\\")), QStringLiteral("s:/"));
}

} // namespace
} // namespace orvane
