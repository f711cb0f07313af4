// Link Type and Robots in whole runs of the real window, and the two commands that go with them.
#include "engine/robots_rules.h"
#include "support/model_rows.h"
#include "support/qt_print.h"
#include "support/test_http_server.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

namespace orvane {
namespace {

using LinkStanding = testing::WindowTest;

// The pages a link buyer meets, in one run: where the link stands, whether it counts, and the copy.
TEST_F(LinkStanding, EveryRowSaysWhereTheLinkStandsAndWhetherItCounts)
{
    test::TestHttpServer server;
    const auto page = [&server](const QByteArray &path, const QByteArray &body,
                                QList<QByteArray> headers = {}, int status = 200) {
        headers << "Content-Type: text/html";
        server.handle(path, [=](test::HttpConnection &c) { c.respond(status, headers, body); });
        return server.url(path);
    };
    const QByteArray link = "<a href='https://www.site.example/'>Our site</a>";
    setPages({
        page("/plain", link),
        page("/nofollow", "<a rel='nofollow ugc' href='https://www.site.example/'>Our site</a>"),
        page("/meta", "<meta name=robots content='noindex'>" + link),
        page("/header", link,
             {"X-Robots-Tag: googlebot: nofollow", "X-Robots-Tag: bingbot: noindex"}),
        page("/text", "<p>See https://www.site.example/ for more.</p>"),
        page("/none", "<p>nothing</p>", {"X-Robots-Tag: none"}),
        page("/gone", "<meta name=googlebot content=noindex><h1>Gone</h1>", {}, 410),
        test::closedPortUrl(),
        page("/commented", "<!-- " + link + " -->"),
        page("/unquoted", "<a href=https://www.site.example/ rel=nofollow>Our <b>site</b></a>"),
        page("/many", QByteArray("<a href='/p'>p</a>").repeated(40000) + link),
        page("/error", "<h1>Oops</h1>" + link, {}, 500),
        page("/missing", "<h1>Not here</h1>" + link, {}, 404),
        page("/canonical", "<link href='https://other.example/' rel=canonical>" + link),
        page("/refs", "<a href='https://www.site.example/?a=1&amp;b=2'>Tom &amp; Jerry &#8212; "
                      "&quot;q&quot;\t\r\nand\tmore</a>"),
        page("/best", link + "<a rel=nofollow href='https://www.site.example/2'>Two</a>"),
        page("/home", "<p>Welcome</p>"),
    });
    // Only the final response's headers count, not those of a redirect on the way.
    server.handle("/moved", [](test::HttpConnection &c) {
        c.respond(301, {"Location: /plain", "X-Robots-Tag: noindex"}, "");
    });
    server.handle("/left",
                  [](test::HttpConnection &c) { c.respond(301, {"Location: /home"}, ""); });
    pagesMemo()->appendPlainText(server.url("/moved") + u'\n' + server.url("/left"));
    websiteEdit()->setText(QStringLiteral("site.example"));
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitForRunEnd());

    const QString site = QStringLiteral("https://www.site.example/");
    // Found, Verdict, Anchor Text, Url Found, Status, Link Type, Robots.
    const QStringList expected[] = {
        {"Found", "Live", "Our site", site, "OK", "dofollow", ""},
        {"Found", "Weak", "Our site", site, "OK", "nofollow ugc", ""},
        {"Found", "Weak", "Our site", site, "OK", "dofollow", "noindex"},
        {"Found", "Weak", "Our site", site, "OK", "dofollow", "nofollow"},
        {"Found", "Weak", "", site, "OK", "text", ""},
        {"Not Found", "Lost", "", "", "OK", "", "noindex nofollow"},
        {"Not Found", "Lost", "", "", "HTTP 410", "", "noindex"},
        {"Not Found", "Unverified", "", "", "Cannot open URL", "", ""},
        {"Found", "Weak", "Our site", site, "OK", "commented", ""},
        {"Found", "Weak", "Our site", site, "OK", "nofollow", ""},
        {"Not Found", "Unverified", "", "", "OK", "", ""}, // past the 10,000 links examined
        {"Found", "Weak", "Our site", site, "HTTP 500", "dofollow", ""},
        {"Found", "Lost", "Our site", site, "HTTP 404", "dofollow", ""},
        {"Found", "Weak", "Our site", site, "OK", "dofollow", "canonicalised"},
        {"Found", "Live", QString::fromUtf16(u"Tom & Jerry \u2014 \"q\" and more"),
         "https://www.site.example/?a=1&b=2", "OK", "dofollow", ""},
        {"Found", "Live", "Two", "https://www.site.example/2", "OK", "nofollow", ""},
        {"Not Found", "Lost", "", "", "OK", "", ""},
        {"Found", "Live", "Our site", site, "OK", "dofollow", ""},
        {"Not Found", "Lost", "", "", "OK", "", ""},
    };
    const int rows = static_cast<int>(std::size(expected));
    ASSERT_EQ(form.results()->rowCount(), rows);
    for (int row = 0; row < rows; ++row) {
        QStringList cells;
        for (const int column : {FoundColumn, VerdictColumn, AnchorTextColumn, UrlFoundColumn,
                                 StatusColumn, LinkTypeColumn, RobotsColumn}) {
            cells << cell(row, column);
        }
        EXPECT_EQ(cells, expected[row]) << row;
        const QString redirectedTo = row == rows - 2   ? server.url("/plain")
                                     : row == rows - 1 ? server.url("/home")
                                                       : QString();
        EXPECT_EQ(cell(row, RedirectedToColumn), redirectedTo) << row;
    }
    EXPECT_EQ(form.results()->index(15, VerdictColumn).data(Qt::ToolTipRole).toString(),
              QStringLiteral("Live\njudged by: https://www.site.example/ (dofollow)"));

    // The copy carries the texts as they are shown.
    resultsList()->selectionModel()->select(form.results()->index(14, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    child<QAction>("CopySelectedURLstoClipboardAllColumns1")->trigger();
    const QStringList shown = testing::rowTexts(*form.results(), 14);
    EXPECT_EQ(desktop.clipboard.last().split(QStringLiteral("\r\n")).at(1), shown.join(u'\t'));

    // Content mode: robots rules still, no link type.
    setPages({server.url("/meta")});
    child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox")->setChecked(true);
    websiteEdit()->setText(QStringLiteral("Our site"));
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ((QStringList{cell(0, FoundColumn), cell(0, VerdictColumn), cell(0, LinkTypeColumn),
                           cell(0, RobotsColumn)}),
              (QStringList{"Found", "Weak", "", "noindex"}));
}

TEST_F(LinkStanding, SelectFailedOrLostRowsAndCopyAllColumns)
{
    ResultsModel &results = *form.results();
    const auto add = [&results](const char *url, bool found, const char *anchor, CheckStatus status,
                                LinkType linkType, int robots, Verdict verdict) {
        testing::addReportedRow(results, QString::fromUtf8(url),
                                {found,
                                 QStringLiteral("https://s.example/"),
                                 QString::fromUtf8(anchor),
                                 std::move(status),
                                 10,
                                 linkType,
                                 robots,
                                 {},
                                 {},
                                 verdict});
    };
    const LinkType none;
    add("https://a.example/", true, "Tab\there", {}, {true}, 0, Verdict::Live);
    add("https://b.example/", false, "", {CheckStatus::Http, 404}, none, RobotsNoIndex,
        Verdict::Lost);
    testing::addPendingRow(results, QStringLiteral("https://c.example/"));
    add("https://d.example/", false, "", {CheckStatus::CannotOpenUrl}, none, 0,
        Verdict::Unverified);
    add("https://e.example/", true, "Two\r\nlines", {CheckStatus::TimedOut},
        {true, LinkType::NoFollow}, RobotsNoFollow, Verdict::Weak);
    add("https://f.example/", false, "", {}, none, 0, Verdict::Lost);

    child<QAction>("SelectFailedRows1")->trigger();
    EXPECT_EQ(resultsList()->selectionModel()->selectedRows().size(), 3);
    for (const int row : {1, 3, 4}) {
        EXPECT_TRUE(resultsList()->selectionModel()->isRowSelected(row, {})) << row;
    }
    child<QAction>("SelectLostRows1")->trigger();
    EXPECT_EQ(resultsList()->selectionModel()->selectedRows().size(), 2);
    for (const int row : {1, 5}) {
        EXPECT_TRUE(resultsList()->selectionModel()->isRowSelected(row, {})) << row;
    }

    const QString captions =
        QStringLiteral("URL\tFound\tVerdict\tAnchor Text\tUrl Found\tStatus\tFile "
                       "Size\tDate Checked\tLink Type\tRobots\tRedirected To\r\n");
    // One row selected also ends its line: the header makes it a table of any size.
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    resultsList()->setFocus();
    resultsList()->selectionModel()->select(
        results.index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(resultsList(), Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(desktop.clipboard.size(), 1);
    EXPECT_EQ(desktop.clipboard.last(),
              captions + QStringLiteral("https://a.example/\tFound\tLive\tTab here\t"
                                        "https://s.example/\tOK\t10\t12/9/26 7:00:00 AM\t"
                                        "dofollow\t\t\r\n"));

    child<QAction>("SelectFailedRows1")->trigger();
    child<QAction>("CopySelectedURLstoClipboardAllColumns1")->trigger();
    const QStringList lines = desktop.clipboard.last().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5); // captions, three rows, and the empty rest after the last CR LF
    EXPECT_EQ(lines[3],
              QStringLiteral("https://e.example/\tFound\tWeak\tTwo  lines\thttps://s.example/"
                             "\tTimed out\t10\t12/9/26 7:00:00 AM\tnofollow\tnofollow\t"));
    EXPECT_EQ(lines[4], QString());

    // Nothing selected: the captions alone. The older copies are as they were.
    resultsList()->clearSelection();
    child<QAction>("CopySelectedURLstoClipboardAllColumns1")->trigger();
    EXPECT_EQ(desktop.clipboard.last(), captions);
    child<QAction>("SelectFailedRows1")->trigger();
    child<QAction>("CopySelectedURLstoClipboardColumns1")->trigger();
    EXPECT_EQ(desktop.clipboard.last().count(u'\t'), 12);
}

} // namespace
} // namespace orvane
