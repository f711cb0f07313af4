// Link Type and Robots in whole runs of the real window, and the two commands that go with them.
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

TEST_F(LinkStanding, RunsShowTheLinkTypeAndTheRobotsRulesOfEveryPage)
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
    });
    // Only the final response's headers count, not those of a redirect on the way.
    server.handle("/moved", [](test::HttpConnection &c) {
        c.respond(301, {"Location: /plain", "X-Robots-Tag: noindex"}, "");
    });
    pagesMemo()->appendPlainText(server.url("/moved"));
    websiteEdit()->setText(QStringLiteral("site.example"));
    form.spSkinSpeedButton1Click();
    ASSERT_TRUE(waitForRunEnd());

    const QStringList expected[] = {
        {"Found", "Live", "dofollow", ""},
        {"Found", "Weak", "nofollow ugc", ""},
        {"Found", "Weak", "dofollow", "noindex"},
        {"Found", "Weak", "dofollow", "nofollow"},
        {"Found", "Weak", "text", ""},
        {"Not Found", "Lost", "", "noindex nofollow"},
        {"Not Found", "Lost", "", "noindex"},
        {"Not Found", "Unverified", "", ""},
        {"Found", "Live", "dofollow", ""},
    };
    ASSERT_EQ(form.results()->rowCount(), 9);
    for (int row = 0; row < 9; ++row) {
        EXPECT_EQ((QStringList{cell(row, FoundColumn), cell(row, VerdictColumn),
                               cell(row, LinkTypeColumn), cell(row, RobotsColumn)}),
                  expected[row])
            << row;
    }

    // Content mode: robots rules still, no link type.
    setPages({server.url("/meta")});
    child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox")->setChecked(true);
    websiteEdit()->setText(QStringLiteral("Our site"));
    form.spSkinSpeedButton1Click();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ((QStringList{cell(0, FoundColumn), cell(0, VerdictColumn), cell(0, LinkTypeColumn),
                           cell(0, RobotsColumn)}),
              (QStringList{"Found", "Weak", "", "noindex"}));
}

// The pages that a link buyer meets, each with its whole row and the copy of it.
TEST_F(LinkStanding, EveryRowHasAVerdictALinkBuyerCanActOn)
{
    test::TestHttpServer server;
    const QByteArray link = "<a href='https://target.example/'>Home</a>";
    const struct
    {
        QByteArray path;
        int status;
        QByteArray body;
        QStringList cells; // Found to Url Found, Status, Link Type to Redirected To
    } pages[] = {
        {"/commented",
         200,
         "<!-- <a href=\"https://target.example/\">old</a> -->",
         {"Found", "Weak", "old", "https://target.example/", "OK", "commented", "", ""}},
        {"/unquoted",
         200,
         "<a href=https://target.example/ rel=nofollow>Buy <b>now</b></a>",
         {"Found", "Weak", "Buy now", "https://target.example/", "OK", "nofollow", "", ""}},
        {"/many",
         200,
         QByteArray("<a href='/p'>p</a>").repeated(40000) + link,
         {"Not Found", "Unverified", "", "", "OK", "", "", ""}},
        {"/error",
         500,
         "<h1>Oops</h1>" + link,
         {"Found", "Weak", "Home", "https://target.example/", "HTTP 500", "dofollow", "", ""}},
        {"/gone",
         404,
         "<h1>Gone</h1>" + link,
         {"Found", "Lost", "Home", "https://target.example/", "HTTP 404", "dofollow", "", ""}},
        {"/canonical",
         200,
         "<link href='https://other.example/' rel=canonical>" + link,
         {"Found", "Weak", "Home", "https://target.example/", "OK", "dofollow", "canonicalised",
          ""}},
        {"/refs",
         200,
         "<a href='https://target.example/?a=1&amp;b=2'>Tom &amp; Jerry &#8212; &quot;q&quot;\t"
         "\r\nand\tmore</a>",
         {"Found", "Live", QString::fromUtf16(u"Tom & Jerry \u2014 \"q\" and more"),
          "https://target.example/?a=1&b=2", "OK", "dofollow", "", ""}},
        {"/best",
         200,
         link + "<a rel=nofollow href='https://target.example/2'>Two</a>",
         {"Found", "Live", "Two", "https://target.example/2", "OK", "nofollow", "", ""}},
        {"/home", 200, "<p>Welcome</p>", {"Not Found", "Lost", "", "", "OK", "", "", ""}},
    };
    QStringList lines;
    for (const auto &page : pages) {
        server.handle(page.path, [&page](test::HttpConnection &c) {
            c.respond(page.status, {"Content-Type: text/html"}, page.body);
        });
        lines << server.url(page.path);
    }
    server.handle("/moved",
                  [](test::HttpConnection &c) { c.respond(301, {"Location: /home"}, ""); });
    setPages(lines << server.url("/moved"));
    websiteEdit()->setText(QStringLiteral("target.example"));
    form.spSkinSpeedButton1Click();
    ASSERT_TRUE(waitForRunEnd());

    ASSERT_EQ(form.results()->rowCount(), std::size(pages) + 1);
    for (std::size_t row = 0; row < std::size(pages); ++row) {
        const int r = static_cast<int>(row);
        QStringList cells = testing::rowTexts(*form.results(), r).mid(FoundColumn);
        EXPECT_EQ(cells.takeAt(FileSizeColumn - 1), QString::number(pages[row].body.size()));
        cells.removeAt(DateCheckedColumn - 2);
        EXPECT_EQ(cells, pages[row].cells) << pages[row].path.constData();
    }
    const int moved = static_cast<int>(std::size(pages));
    EXPECT_EQ(cell(moved, VerdictColumn), QStringLiteral("Lost"));
    EXPECT_EQ(cell(moved, RedirectedToColumn), server.url("/home"));
    const int best = moved - 2;
    EXPECT_EQ(form.results()->index(best, VerdictColumn).data(Qt::ToolTipRole).toString(),
              QStringLiteral("Live\njudged by: https://target.example/ (dofollow)"));

    // The copy carries the texts as they are shown.
    const int refs = best - 1;
    resultsList()->selectionModel()->select(form.results()->index(refs, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    child<QAction>("CopySelectedURLstoClipboardAllColumns1")->trigger();
    EXPECT_EQ(desktop.clipboard.last().split(QStringLiteral("\r\n")).at(1),
              QStringList({server.url("/refs"), pages[refs].cells.mid(0, 5).join(u'\t'),
                           QString::number(pages[refs].body.size()), cell(refs, DateCheckedColumn),
                           "dofollow\t\t"})
                  .join(u'\t'));
}

TEST_F(LinkStanding, SelectFailedOrLostRowsAndCopyAllColumns)
{
    ResultsModel &results = *form.results();
    const auto add = [&results](const char *url, const char *found, const char *anchor,
                                const char *status, const char *linkType, const char *robots,
                                Verdict verdict) {
        const auto text = [](const char *utf8) { return QString::fromUtf8(utf8); };
        results.appendRow(
            text(url),
            testing::subItems({{FoundSubItem, text(found)},
                               {AnchorTextSubItem, text(anchor)},
                               {UrlFoundSubItem, text(*status != 0 ? "https://s.example/" : "")},
                               {StatusSubItem, text(status)},
                               {FileSizeSubItem, QStringLiteral("10")},
                               {DateCheckedSubItem, QStringLiteral("9 Dec 2026 10:00:00")},
                               {LinkTypeSubItem, text(linkType)},
                               {RobotsSubItem, text(robots)}}),
            ImageFound);
        results.setVerdict(results.rowCount() - 1, verdict, {});
    };
    add("https://a.example/", "Found", "Tab\there", "OK", "dofollow", "", Verdict::Live);
    add("https://b.example/", "Not Found", "", "HTTP 404", "", "noindex", Verdict::Lost);
    add("https://c.example/", "Searching...", "Downloading...", "", "", "", Verdict::None);
    add("https://d.example/", "Not Found", "", "Cannot open URL", "", "", Verdict::Unverified);
    add("https://e.example/", "Found", "Two\r\nlines", "Timed out", "nofollow", "nofollow",
        Verdict::Weak);
    add("https://f.example/", "Not Found", "", "OK", "", "", Verdict::Lost);

    form.SelectFailedRows1Click();
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
                                        "https://s.example/\tOK\t10\t9 Dec 2026 10:00:00\t"
                                        "dofollow\t\t\r\n"));

    form.SelectFailedRows1Click();
    form.CopySelectedURLstoClipboardAllColumns1Click();
    const QStringList lines = desktop.clipboard.last().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5); // captions, three rows, and the empty rest after the last CR LF
    EXPECT_EQ(lines[3],
              QStringLiteral("https://e.example/\tFound\tWeak\tTwo  lines\thttps://s.example/"
                             "\tTimed out\t10\t9 Dec 2026 10:00:00\tnofollow\tnofollow\t"));
    EXPECT_EQ(lines[4], QString());

    // Nothing selected: the captions alone. The older copies are as they were.
    resultsList()->clearSelection();
    form.CopySelectedURLstoClipboardAllColumns1Click();
    EXPECT_EQ(desktop.clipboard.last(), captions);
    form.SelectFailedRows1Click();
    form.CopySelectedURLstoClipboardColumns1Click();
    EXPECT_EQ(desktop.clipboard.last().count(u'\t'), 12);
}

} // namespace
} // namespace orvane
