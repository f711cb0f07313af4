#include "support/qt_print.h"
#include "support/window_fixture.h"
#include "ui/gauge_widget.h"
#include "ui/status_panel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeView>

namespace orvane {
namespace {

using MainWindow = testing::WindowTest;

QStringList menuItems(const QMenu *menu)
{
    QStringList items;
    for (const QAction *item : menu->actions()) {
        items << (item->isSeparator() ? QStringLiteral("-")
                                      : item->objectName() + u'|' + item->text() + u'|' +
                                            item->shortcut().toString());
    }
    return items;
}

TEST_F(MainWindow, StartsWithPlaceholdersDefaultsAndTheResultsFocused)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Orvane 1.4 - by  https://orvane.app"));
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QStringLiteral("example.com"));
    EXPECT_EQ(form.LinksTspSkinMemo->toPlainText(), QStringLiteral("Paste your URLs here"));
    EXPECT_EQ(form.spSkinLabel2->text(), QStringLiteral("Your Website URL:"));
    EXPECT_TRUE(form.Show_in_Tray_IconTspSkinCheckRadioBox->isChecked());
    EXPECT_FALSE(form.Cauta_Dupa_HTMLTspSkinCheckRadioBox->isChecked());
    EXPECT_TRUE(form.AutoScrollTspSkinCheckRadioBox->isChecked());
    EXPECT_EQ(form.spSkinSpeedButton1->text(), QStringLiteral("Start"));
    EXPECT_EQ(form.scheduler().max_no_threads, 10);
    EXPECT_EQ(time_out.load(), 30000);
    EXPECT_EQ(QApplication::focusWidget(), form.DownloadsTspSkinListView);

    EXPECT_EQ(form.TotalTspSkinStatusPanel->text(), QStringLiteral("Orvane 1.4"));
    EXPECT_EQ(form.spSkinGauge1->text(), QStringLiteral("Progress...0%"));
    EXPECT_EQ(form.ThreadsTspSkinStatusPanel->text(), QStringLiteral("Threads 0/10"));
    EXPECT_EQ(form.FoundTspSkinStatusPanel->text(), QStringLiteral("Found 0 (0%)"));
    EXPECT_EQ(form.NotFoundTspSkinStatusPanel->text(), QStringLiteral("Not Found 0 (0%)"));
    EXPECT_EQ(form.TimeOutTspSkinStatusPanel->text(), QStringLiteral("Time Out 30s"));
    const int widths[] = {145, 140, 88, 173, 178, 81};
    const QWidget *panels[] = {form.TotalTspSkinStatusPanel,    form.spSkinGauge1,
                               form.ThreadsTspSkinStatusPanel,  form.FoundTspSkinStatusPanel,
                               form.NotFoundTspSkinStatusPanel, form.TimeOutTspSkinStatusPanel};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(panels[i]->width(), widths[i]) << i;
    }
    EXPECT_EQ(form.spSkinLinkLabel1->text(), QStringLiteral("orvane.app"));

    // Tab order: results, edit, auto scroll, memo, Links, Content.
    const QWidget *order[] = {form.DownloadsTspSkinListView,
                              form.WebsiteTspSkinEdit,
                              form.AutoScrollTspSkinCheckRadioBox,
                              form.LinksTspSkinMemo,
                              form.Show_in_Tray_IconTspSkinCheckRadioBox,
                              form.Cauta_Dupa_HTMLTspSkinCheckRadioBox};
    for (int i = 0; i + 1 < 6; ++i) {
        const QWidget *next = order[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || !next->isVisible()) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next, order[i + 1]) << i;
    }
    EXPECT_EQ(form.spSkinSpeedButton1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(form.HelpTspSkinMenuSpeedButton->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindow, FieldsTakeAwayAndPutBackTheirPlaceholders)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.WebsiteTspSkinEdit->setFocus();
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QString());
    form.LinksTspSkinMemo->setFocus(); // leaves the edit empty
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QStringLiteral("example.com"));
    EXPECT_EQ(form.LinksTspSkinMemo->toPlainText(), QString());
    form.DownloadsTspSkinListView->setFocus();
    EXPECT_EQ(form.LinksTspSkinMemo->toPlainText(), QStringLiteral("Paste your URLs here"));

    // Only the exact placeholder goes.
    form.WebsiteTspSkinEdit->setText(QStringLiteral("Example.com"));
    form.WebsiteTspSkinEdit->setFocus();
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QStringLiteral("Example.com"));
    form.LinksTspSkinMemo->setPlainText(QStringLiteral("Paste your URLs here\nhttp://a.example/"));
    form.LinksTspSkinMemo->setFocus();
    EXPECT_EQ(form.LinksTspSkinMemo->toPlainText(),
              QStringLiteral("Paste your URLs here\nhttp://a.example/"));
}

TEST_F(MainWindow, SearchModesExchangeOnlyPlaceholders)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(form.Cauta_Dupa_HTMLTspSkinCheckRadioBox, Qt::LeftButton);
    EXPECT_TRUE(form.Cauta_Dupa_HTMLTspSkinCheckRadioBox->isChecked());
    EXPECT_EQ(form.spSkinLabel2->text(), QStringLiteral("Your HTML Content:"));
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QStringLiteral("Your Content"));
    form.WebsiteTspSkinEdit->setFocus(); // "Your Content" is not cleared on entry
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QStringLiteral("Your Content"));
    form.WebsiteTspSkinEdit->clear();
    form.DownloadsTspSkinListView->setFocus();
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QStringLiteral("example.com")); // in both modes
    EXPECT_EQ(form.spSkinLabel2->text(), QStringLiteral("Your HTML Content:"));

    form.WebsiteTspSkinEdit->setText(QStringLiteral("Your Content"));
    form.Show_in_Tray_IconTspSkinCheckRadioBox->setChecked(true); // set in code: same handler
    EXPECT_EQ(form.spSkinLabel2->text(), QStringLiteral("Your Website URL:"));
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QStringLiteral("example.com"));

    form.WebsiteTspSkinEdit->setText(QStringLiteral("<b>mine</b>"));
    form.Cauta_Dupa_HTMLTspSkinCheckRadioBox->setChecked(true);
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QStringLiteral("<b>mine</b>"));
    form.Show_in_Tray_IconTspSkinCheckRadioBox->setChecked(true);
    EXPECT_EQ(form.WebsiteTspSkinEdit->text(), QStringLiteral("<b>mine</b>"));
}

TEST_F(MainWindow, CtrlASelectsAllInBothFieldsOnlyWithCtrlAlone)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.WebsiteTspSkinEdit->setText(QStringLiteral("site.example"));
    form.LinksTspSkinMemo->setPlainText(QStringLiteral("http://a.example/\nhttp://b.example/"));

    form.WebsiteTspSkinEdit->setFocus();
    form.WebsiteTspSkinEdit->deselect();
    QTest::keyClick(form.WebsiteTspSkinEdit, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(form.WebsiteTspSkinEdit->hasSelectedText());
    QTest::keyClick(form.WebsiteTspSkinEdit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form.WebsiteTspSkinEdit->selectedText(), QStringLiteral("site.example"));

    form.LinksTspSkinMemo->setFocus();
    QTest::keyClick(form.LinksTspSkinMemo, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(form.LinksTspSkinMemo->textCursor().hasSelection());
    QTest::keyClick(form.LinksTspSkinMemo, Qt::Key_A, Qt::ControlModifier);
    // (Ctrl+Alt+A may type a letter, as AltGr combinations do; it selects nothing.)
    EXPECT_EQ(form.LinksTspSkinMemo->textCursor().selectedText(),
              form.LinksTspSkinMemo->toPlainText().replace(u'\n', QChar(0x2029)));
    EXPECT_TRUE(form.LinksTspSkinMemo->toPlainText().endsWith(QStringLiteral("http://b.example/")));
}

TEST_F(MainWindow, WideningStretchesTheFieldsAndTallerOnlyTheResults)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QWidget *stretching[] = {form.WebsiteTspSkinEdit, form.Panel1, form.spSkinPanel1};
    const QWidget *followingRight[] = {
        form.spSkinLabel1, form.Show_in_Tray_IconTspSkinCheckRadioBox,
        form.Cauta_Dupa_HTMLTspSkinCheckRadioBox, form.spSkinLinkImage1, form.spSkinLinkLabel3};
    const QWidget *leftColumn[] = {form.spSkinLabel2, form.spSkinSpeedButton1,
                                   form.HelpTspSkinMenuSpeedButton,
                                   form.AutoScrollTspSkinCheckRadioBox};
    EXPECT_EQ(form.WebsiteTspSkinEdit->geometry(), QRect(111, 16, 458, 19));
    EXPECT_EQ(form.spSkinPanel1->geometry(), QRect(8, 155, 956, 376));
    EXPECT_EQ(form.spSkinLinkImage1->geometry(), QRect(781, 16, 183, 110));

    auto geometries = [](auto &widgets) {
        QList<QRect> rects;
        for (const QWidget *widget : widgets) {
            rects << widget->geometry();
        }
        return rects;
    };
    const QList<QRect> stretchBefore = geometries(stretching);
    const QList<QRect> rightBefore = geometries(followingRight);
    const QList<QRect> leftBefore = geometries(leftColumn);

    form.resize(form.width() + 200, form.height());
    QCoreApplication::processEvents();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(stretching[i]->geometry(), stretchBefore[i].adjusted(0, 0, 200, 0)) << i;
    }
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(followingRight[i]->geometry(), rightBefore[i].translated(200, 0)) << i;
    }
    EXPECT_EQ(geometries(leftColumn), leftBefore);

    form.resize(form.width(), form.height() + 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.spSkinPanel1->geometry(), stretchBefore[2].adjusted(0, 0, 200, 100));
    EXPECT_EQ(form.Panel1->geometry(), stretchBefore[1].adjusted(0, 0, 200, 0));
    EXPECT_EQ(geometries(leftColumn), leftBefore);
    EXPECT_EQ(form.statusBar()->geometry().bottom(), form.rect().bottom());
}

TEST_F(MainWindow, MenusHoldTheirItemsInOrder)
{
    EXPECT_EQ(
        menuItems(form.RemoveUrlsTspSkinPopupMenu),
        (QStringList{"RemoveDuplicateURLs1|Remove Duplicate URLs|",
                     "RemoveDuplicateDomains1|Remove Duplicate Domains|",
                     "RemoveInvalidUrls1|Remove Invalid Urls|", "-", "rimtodomain1|Trim to Domain|",
                     "-", "RemoveEmptyLines1|Remove Empty Lines|"}));
    EXPECT_EQ(menuItems(form.ListeTspSkinPopupMenu),
              (QStringList{"CopyURL1|Copy Selected URLs to Clipboard|Ctrl+C",
                           // Long items are split across lines; no comma is missing.
                           // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
                           "CopySelectedURLstoClipboardColumns1|Copy Selected URLs to Clipboard + "
                           "Columns|Ctrl+Shift+C",
                           "-", "Selectall1|Select All|",
                           "SelectSuccessfullylinks1|Select Successfully links|",
                           "SelectFailedRows1|Select Failed Rows|", "-",
                           "CopySelectedURLstoClipboardAllColumns1|Copy Selected URLs to Clipboard "
                           "+ All Columns|Ctrl+Alt+C"}));
    EXPECT_EQ(form.HelpTspSkinMenuSpeedButton->menu(), form.RemoveUrlsTspSkinPopupMenu);
    EXPECT_EQ(form.HelpTspSkinMenuSpeedButton->popupMode(), QToolButton::InstantPopup);
    EXPECT_EQ(form.HelpTspSkinMenuSpeedButton->text(), QStringLiteral("Remove URLs"));
}

TEST_F(MainWindow, ListToolsEditTheMemoAndReportTheCount)
{
    form.LinksTspSkinMemo->setPlainText(
        QStringLiteral("http://a.example/x\n  http://a.example/x \n\nhttp://A.example/y\nnot an "
                       "address\nhttp://b.example/z"));
    form.findChild<QAction *>("RemoveDuplicateURLs1")->trigger();
    EXPECT_EQ(desktop.messages, QStringList{"1 Urls Removed"});
    form.findChild<QAction *>("RemoveDuplicateDomains1")->trigger();
    form.findChild<QAction *>("RemoveInvalidUrls1")->trigger();
    form.findChild<QAction *>("rimtodomain1")->trigger();
    form.findChild<QAction *>("RemoveEmptyLines1")->trigger();
    EXPECT_EQ(desktop.messages, (QStringList{"1 Urls Removed", "1 Urls Removed", "1 Urls Removed",
                                             "0 Urls Removed", "1 Lines Removed"}));
    EXPECT_EQ(form.LinksTspSkinMemo->toPlainText(),
              QStringLiteral("http://a.example\nhttp://b.example"));

    // The placeholder is ordinary text to the tools.
    form.LinksTspSkinMemo->setPlainText(QStringLiteral("Paste your URLs here"));
    form.RemoveInvalidUrls1Click();
    EXPECT_EQ(desktop.messages.last(), QStringLiteral("1 Urls Removed"));
    EXPECT_EQ(form.LinksTspSkinMemo->toPlainText(), QString());
}

// Lines past the cap and blanks around kept lines survive the memo round trip untouched.
TEST_F(MainWindow, ListToolsKeepLinesThatStayExactlyAsTheyWere)
{
    const QString longLine = QStringLiteral("http://long.example/") + QString(5000, u'x');
    const QString text =
        u'\t' + longLine + QStringLiteral(" \n\u00a0http://b.example/\nhttp://b.example/\n");
    form.LinksTspSkinMemo->setPlainText(text);
    form.RemoveDuplicateURLs1Click();
    EXPECT_EQ(desktop.messages, QStringList{"0 Urls Removed"}); // no-break space is not trimmed
    form.RemoveDuplicateDomains1Click();
    EXPECT_EQ(desktop.messages.last(), QStringLiteral("1 Urls Removed"));
    // The raw text: the plain text view would show the no-break space as a blank.
    EXPECT_EQ(form.LinksTspSkinMemo->document()->toRawText(),
              QString(u'\t' + longLine + QStringLiteral(" \n\u00a0http://b.example/\n"))
                  .replace(u'\n', QChar(0x2029)));
}

TEST_F(MainWindow, PublisherLinksOpenTheHomePage)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.spSkinLinkLabel3, Qt::LeftButton);
    QTest::mouseClick(form.spSkinLinkImage1, Qt::LeftButton);
    QTest::mouseClick(form.spSkinLinkLabel1, Qt::LeftButton);
    EXPECT_EQ(desktop.opened, QStringList(3, QStringLiteral("https://orvane.app")));
}

} // namespace
} // namespace orvane
