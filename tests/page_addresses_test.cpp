// Where a page points beyond itself: its canonical address and its meta refresh.
#include "engine/page_addresses.h"
#include "support/named_cases.h"
#include "support/qt_print.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

const QString kAt = QStringLiteral("https://blog.example/post/1");

struct AddressCase
{
    const char *name;
    const char *page;
    const char *linkHeader; // nullptr: none
    const char *canonical;
    const char *refresh;
};

class PageAddressesRead : public ::testing::TestWithParam<AddressCase>
{};

TEST_P(PageAddressesRead, NameTheCanonicalAndTheRefreshResolved)
{
    const AddressCase &c = GetParam();
    const QByteArrayList headers =
        c.linkHeader != nullptr ? QByteArrayList{c.linkHeader} : QByteArrayList{};
    const PageAddresses found = pageAddresses(QString::fromUtf8(c.page), headers, kAt);
    EXPECT_EQ(found.canonical, QString::fromUtf8(c.canonical));
    EXPECT_EQ(found.refresh, QString::fromUtf8(c.refresh));
}

const AddressCase kAddressCases[] = {
    {"None", "<p>text</p>", nullptr, "", ""},
    {"RelFirst", "<link rel=\"canonical\" href=\"https://other.example/\">", nullptr,
     "https://other.example/", ""},
    {"HrefFirstUnquoted", "<LINK href=/post/2 REL=canonical>", nullptr,
     "https://blog.example/post/2", ""},
    {"FirstOfTwo", "<link rel=canonical href=/a><link rel=canonical href=/b>", nullptr,
     "https://blog.example/a", ""},
    {"OtherRel", "<link rel=alternate href=/amp>", nullptr, "", ""},
    {"Header", "", "<https://other.example/x>; rel=\"canonical\"", "https://other.example/x", ""},
    {"HeaderAmongOthers", "", "</a>; rel=preload, </c>; rel=canonical", "https://blog.example/c",
     ""},
    {"ElementBeforeHeader", "<link rel=canonical href=/el>", "</hd>; rel=canonical",
     "https://blog.example/el", ""},
    {"Refresh", "<meta http-equiv=\"refresh\" content=\"0; url=/moved\">", nullptr, "",
     "https://blog.example/moved"},
    {"RefreshQuotedUrl", "<meta content=\"5;URL='https://x.example/'\" http-equiv=Refresh>",
     nullptr, "", "https://x.example/"},
    {"RefreshItself", "<meta http-equiv=refresh content=30>", nullptr, "", ""},
};
INSTANTIATE_TEST_SUITE_P(Table, PageAddressesRead, ::testing::ValuesIn(kAddressCases),
                         testing::caseName);

TEST(PageAddresses, SamePageIgnoresCaseOfSchemeAndHostDefaultPortAndFragment)
{
    EXPECT_TRUE(isSamePage(QStringLiteral("HTTPS://Blog.Example:443/post/1#top"), kAt));
    EXPECT_TRUE(
        isSamePage(QStringLiteral("http://a.example:80/"), QStringLiteral("http://a.example/")));
    EXPECT_FALSE(isSamePage(QStringLiteral("https://blog.example/Post/1"), kAt));
    EXPECT_FALSE(isSamePage(QStringLiteral("https://blog.example/post/1?x"), kAt));
    EXPECT_FALSE(isSamePage(QStringLiteral("http://blog.example/post/1"), kAt));
    EXPECT_FALSE(isSamePage(QStringLiteral("https://blog.example:8443/post/1"), kAt));
}

} // namespace
} // namespace orvane
