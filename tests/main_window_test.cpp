#include "support/qt_print.h"
#include "support/window_fixture.h"
#include "ui/gauge_widget.h"
#include "ui/status_panel.h"

#include <QAction>
#include <QActionGroup>
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
    EXPECT_EQ(websiteEdit()->text(), QStringLiteral("example.com"));
    EXPECT_EQ(pagesMemo()->toPlainText(), QStringLiteral("Paste your URLs here"));
    EXPECT_EQ(child<QLabel>("spSkinLabel2")->text(), QStringLiteral("Your Website URL:"));
    EXPECT_TRUE(child<QRadioButton>("Show_in_Tray_IconTspSkinCheckRadioBox")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("AutoScrollTspSkinCheckRadioBox")->isChecked());
    EXPECT_EQ(child<QPushButton>("spSkinSpeedButton1")->text(), QStringLiteral("Start"));
    EXPECT_EQ(form.scheduler().state().max_no_threads, 10);
    EXPECT_EQ(form.scheduler().state().time_out, 30000);
    EXPECT_EQ(QApplication::focusWidget(), resultsList());

    EXPECT_EQ(child<StatusPanel>("TotalTspSkinStatusPanel")->text(), QStringLiteral("Orvane 1.4"));
    EXPECT_EQ(child<GaugeWidget>("spSkinGauge1")->text(), QStringLiteral("Progress...0%"));
    EXPECT_EQ(child<StatusPanel>("ThreadsTspSkinStatusPanel")->text(),
              QStringLiteral("Threads 0/10"));
    EXPECT_EQ(child<StatusPanel>("FoundTspSkinStatusPanel")->text(),
              QStringLiteral("Found 0 (0%)"));
    EXPECT_EQ(child<StatusPanel>("NotFoundTspSkinStatusPanel")->text(),
              QStringLiteral("Not Found 0 (0%)"));
    EXPECT_EQ(child<StatusPanel>("TimeOutTspSkinStatusPanel")->text(),
              QStringLiteral("Time Out 30s"));
    const int widths[] = {145, 140, 88, 173, 178, 81};
    const auto panels = statusBarPanels();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(panels[i]->width(), widths[i]) << i;
    }
    EXPECT_EQ(child<QLabel>("spSkinLinkLabel1")->text(), QStringLiteral("orvane.app"));

    // Tab order: results, edit, auto scroll, memo, Links, Content.
    const QWidget *order[] = {resultsList(),
                              websiteEdit(),
                              child<QCheckBox>("AutoScrollTspSkinCheckRadioBox"),
                              pagesMemo(),
                              child<QRadioButton>("Show_in_Tray_IconTspSkinCheckRadioBox"),
                              child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox")};
    for (int i = 0; i + 1 < 6; ++i) {
        const QWidget *next = order[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || !next->isVisible()) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next, order[i + 1]) << i;
    }
    EXPECT_EQ(child<QPushButton>("spSkinSpeedButton1")->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(child<QToolButton>("HelpTspSkinMenuSpeedButton")->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindow, FieldsTakeAwayAndPutBackTheirPlaceholders)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    websiteEdit()->setFocus();
    EXPECT_EQ(websiteEdit()->text(), QString());
    pagesMemo()->setFocus(); // leaves the edit empty
    EXPECT_EQ(websiteEdit()->text(), QStringLiteral("example.com"));
    EXPECT_EQ(pagesMemo()->toPlainText(), QString());
    resultsList()->setFocus();
    EXPECT_EQ(pagesMemo()->toPlainText(), QStringLiteral("Paste your URLs here"));

    // Only the exact placeholder goes.
    websiteEdit()->setText(QStringLiteral("Example.com"));
    websiteEdit()->setFocus();
    EXPECT_EQ(websiteEdit()->text(), QStringLiteral("Example.com"));
    pagesMemo()->setPlainText(QStringLiteral("Paste your URLs here\nhttp://a.example/"));
    pagesMemo()->setFocus();
    EXPECT_EQ(pagesMemo()->toPlainText(),
              QStringLiteral("Paste your URLs here\nhttp://a.example/"));
}

TEST_F(MainWindow, SearchModesExchangeOnlyPlaceholders)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox"), Qt::LeftButton);
    EXPECT_TRUE(child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox")->isChecked());
    EXPECT_EQ(child<QLabel>("spSkinLabel2")->text(), QStringLiteral("Your HTML Content:"));
    EXPECT_EQ(websiteEdit()->text(), QStringLiteral("Your Content"));
    websiteEdit()->setFocus(); // "Your Content" is not cleared on entry
    EXPECT_EQ(websiteEdit()->text(), QStringLiteral("Your Content"));
    websiteEdit()->clear();
    resultsList()->setFocus();
    EXPECT_EQ(websiteEdit()->text(),
              QStringLiteral("example.com")); // in both modes
    EXPECT_EQ(child<QLabel>("spSkinLabel2")->text(), QStringLiteral("Your HTML Content:"));

    websiteEdit()->setText(QStringLiteral("Your Content"));
    child<QRadioButton>("Show_in_Tray_IconTspSkinCheckRadioBox")
        ->setChecked(true); // set in code: same handler
    EXPECT_EQ(child<QLabel>("spSkinLabel2")->text(), QStringLiteral("Your Website URL:"));
    EXPECT_EQ(websiteEdit()->text(), QStringLiteral("example.com"));

    websiteEdit()->setText(QStringLiteral("<b>mine</b>"));
    child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox")->setChecked(true);
    EXPECT_EQ(websiteEdit()->text(), QStringLiteral("<b>mine</b>"));
    child<QRadioButton>("Show_in_Tray_IconTspSkinCheckRadioBox")->setChecked(true);
    EXPECT_EQ(websiteEdit()->text(), QStringLiteral("<b>mine</b>"));
}

TEST_F(MainWindow, CtrlASelectsAllInBothFieldsOnlyWithCtrlAlone)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    struct Keys
    {
        const char *name;
        Qt::KeyboardModifiers modifiers;
        bool selects;
    };
    const Keys keys[] = {
        {"Ctrl+A", Qt::ControlModifier, true},
        {"Ctrl+A on the keypad", Qt::ControlModifier | Qt::KeypadModifier, true},
        {"Ctrl+Shift+A", Qt::ControlModifier | Qt::ShiftModifier, false},
        {"Ctrl+Alt+A", Qt::ControlModifier | Qt::AltModifier, false},
    };
    for (const Keys &k : keys) {
        SCOPED_TRACE(k.name);
        websiteEdit()->setText(QStringLiteral("site.example"));
        websiteEdit()->setFocus();
        websiteEdit()->setCursorPosition(4);
        QTest::keyClick(websiteEdit(), Qt::Key_A, k.modifiers);
        EXPECT_EQ(websiteEdit()->selectedText(),
                  k.selects ? QStringLiteral("site.example") : QString());

        pagesMemo()->setPlainText(QStringLiteral("http://a.example/\nhttp://b.example/"));
        pagesMemo()->setFocus();
        QTest::keyClick(pagesMemo(), Qt::Key_A, k.modifiers);
        // (Ctrl+Alt+A may type a letter, as AltGr combinations do; it selects nothing.)
        if (k.selects) {
            EXPECT_EQ(pagesMemo()->textCursor().selectedText(),
                      QStringLiteral("http://a.example/\u2029http://b.example/"));
        } else {
            EXPECT_FALSE(pagesMemo()->textCursor().hasSelection());
        }
        EXPECT_TRUE(pagesMemo()->toPlainText().endsWith(QStringLiteral("http://b.example/")));
    }
}

TEST_F(MainWindow, WideningStretchesTheFieldsAndTallerOnlyTheResults)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QWidget *stretching[] = {websiteEdit(), child<QFrame>("Panel1"),
                                   child<QFrame>("spSkinPanel1")};
    const QWidget *followingRight[] = {
        child<QLabel>("spSkinLabel1"), child<QRadioButton>("Show_in_Tray_IconTspSkinCheckRadioBox"),
        child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox"),
        child<QLabel>("spSkinLinkImage1"), child<QLabel>("spSkinLinkLabel3")};
    const QWidget *leftColumn[] = {child<QLabel>("spSkinLabel2"),
                                   child<QPushButton>("spSkinSpeedButton1"),
                                   child<QToolButton>("HelpTspSkinMenuSpeedButton"),
                                   child<QCheckBox>("AutoScrollTspSkinCheckRadioBox")};
    EXPECT_EQ(websiteEdit()->geometry(), QRect(111, 16, 458, 19));
    EXPECT_EQ(child<QFrame>("spSkinPanel1")->geometry(), QRect(8, 155, 956, 376));
    EXPECT_EQ(child<QLabel>("spSkinLinkImage1")->geometry(), QRect(781, 16, 183, 110));

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
    EXPECT_EQ(child<QFrame>("spSkinPanel1")->geometry(), stretchBefore[2].adjusted(0, 0, 200, 100));
    EXPECT_EQ(child<QFrame>("Panel1")->geometry(), stretchBefore[1].adjusted(0, 0, 200, 0));
    EXPECT_EQ(geometries(leftColumn), leftBefore);
    EXPECT_EQ(form.statusBar()->geometry().bottom(), form.rect().bottom());
}

TEST_F(MainWindow, MenusHoldTheirItemsInOrder)
{
    EXPECT_EQ(
        menuItems(child<QMenu>("RemoveUrlsTspSkinPopupMenu")),
        (QStringList{"RemoveDuplicateURLs1|Remove Duplicate URLs|",
                     "RemoveDuplicateDomains1|Remove Duplicate Domains|",
                     "RemoveInvalidUrls1|Remove Invalid Urls|", "-", "rimtodomain1|Trim to Domain|",
                     "-", "RemoveEmptyLines1|Remove Empty Lines|"}));
    EXPECT_EQ(
        menuItems(child<QMenu>("ListeTspSkinPopupMenu")),
        (QStringList{"CopyURL1|Copy Selected URLs to Clipboard|Ctrl+C",
                     // Long items are split across lines; no comma is missing.
                     // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
                     "CopySelectedURLstoClipboardColumns1|Copy Selected URLs to Clipboard + "
                     "Columns|Ctrl+Shift+C",
                     "-", "Selectall1|Select All|",
                     "SelectSuccessfullylinks1|Select Successfully links|",
                     "SelectFailedRows1|Select Failed Rows|", "SelectLostRows1|Select Lost Rows|",
                     "CheckSelectedRowsAgain1|Check Selected Rows Again|Ctrl+R", "-",
                     "CopySelectedURLstoClipboardAllColumns1|Copy Selected URLs to Clipboard "
                     "+ All Columns|Ctrl+Alt+C"}));
    EXPECT_EQ(child<QToolButton>("HelpTspSkinMenuSpeedButton")->menu(),
              child<QMenu>("RemoveUrlsTspSkinPopupMenu"));
    EXPECT_EQ(child<QToolButton>("HelpTspSkinMenuSpeedButton")->popupMode(),
              QToolButton::InstantPopup);
    EXPECT_EQ(child<QToolButton>("HelpTspSkinMenuSpeedButton")->text(),
              QStringLiteral("Remove URLs"));
}

// Settings: objectName|caption|value, "|marked" for the chosen one.
QStringList settingItems(const QMenu *menu)
{
    QStringList items;
    for (const QAction *item : menu->actions()) {
        items << item->objectName() + u'|' + item->text() + u'|' + item->data().toString() +
                     (item->isChecked() ? QStringLiteral("|marked") : QString());
    }
    return items;
}

QStringList separatorNames(const QMenu *menu)
{
    QStringList names;
    for (const QAction *item : menu->actions()) {
        if (item->isSeparator()) {
            names << item->objectName();
        }
    }
    return names;
}

TEST_F(MainWindow, SettingsMenusCarryTheirValuesAndStartAtTheDefaults)
{
    const QMenu *threads = child<QMenu>("ThreadsTspSkinPopupMenu");
    const QMenu *timeOuts = child<QMenu>("TimeOutTspSkinPopupMenu");
    EXPECT_EQ(settingItems(threads).mid(0, 16),
              (QStringList{"N5Threads2|5 Threads|5", "N10Threads2|10 Threads|10|marked",
                           "N20Threads2|20 Threads|20", "N30Threads2|30 Threads|30",
                           "N40Threads2|40 Threads|40", "N50Threads3|50 Threads|50",
                           "N60Threads1|60 Threads|60", "N70Threads2|70 Threads|70",
                           "N80Threads2|80 Threads|80", "N90Threads2|90 Threads|90",
                           "N100Threads2|100 Threads|100", "N150Threads1|150 Threads|150",
                           "N200Threads1|200 Threads|200", "N300Threads1|300 Threads|300",
                           "N400Threads2|400 Threads|400", "N500Threads3|500 Threads|500"}));
    EXPECT_EQ(settingItems(threads).mid(16),
              (QStringList{"N6||", "N1perSite1|1 per Site|1", "N2perSite1|2 per Site|2",
                           "N4perSite1|4 per Site|4", "N6perSite1|6 per Site|6|marked",
                           "N10perSite1|10 per Site|10", "N20perSite1|20 per Site|20",
                           "NoSiteLimit1|No Site Limit|0"}));
    EXPECT_EQ(
        settingItems(timeOuts),
        (QStringList{"imeOut5s1|Time Out 5s|5000", "imeOut10s2|Time Out 10s|10000",
                     "imeOut30s1|Time Out 30s|30000|marked", "imeOut40s2|Time Out 40s|40000",
                     "imeOut50s2|Time Out 50s|50000", "imeOut1min2|Time Out 1 min|60000",
                     "imeOut2min1|Time Out 2 min|120000", "imeOut5min2|Time Out 5 min|300000"}));
    // Each group of choices may also have none marked; the status bar shows no hint of its own
    // for them.
    for (const QMenu *menu : {threads, timeOuts}) {
        for (const QAction *item : menu->actions()) {
            SCOPED_TRACE(item->objectName().toStdString());
            if (!item->isSeparator()) {
                EXPECT_TRUE(item->isCheckable());
                ASSERT_NE(item->actionGroup(), nullptr);
                EXPECT_EQ(item->actionGroup()->exclusionPolicy(),
                          QActionGroup::ExclusionPolicy::ExclusiveOptional);
                EXPECT_EQ(item->statusTip(), QString());
            }
        }
    }
}

TEST_F(MainWindow, CommandMenusNameTheirSeparatorsAndLendTheListTheCopyShortcuts)
{
    EXPECT_EQ(separatorNames(child<QMenu>("RemoveUrlsTspSkinPopupMenu")),
              (QStringList{"N2", "N1"}));
    EXPECT_EQ(separatorNames(child<QMenu>("ListeTspSkinPopupMenu")), (QStringList{"N3", "N4"}));
    QStringList inTheList;
    for (const QAction *item : resultsList()->actions()) {
        inTheList << item->objectName();
        EXPECT_EQ(item->shortcutContext(), Qt::WidgetShortcut) << item->objectName().toStdString();
    }
    EXPECT_EQ(inTheList,
              (QStringList{"CopyURL1", "CopySelectedURLstoClipboardColumns1",
                           "CheckSelectedRowsAgain1", "CopySelectedURLstoClipboardAllColumns1"}));
    for (const QAction *item : child<QMenu>("RemoveUrlsTspSkinPopupMenu")->actions()) {
        EXPECT_TRUE(item->shortcut().isEmpty()) << item->objectName().toStdString();
    }
}

TEST_F(MainWindow, ListToolsEditTheMemoAndReportTheCount)
{
    pagesMemo()->setPlainText(
        QStringLiteral("http://a.example/x\n  http://a.example/x \n\nhttp://A.example/y\nnot an "
                       "address\nhttp://b.example/z"));
    child<QAction>("RemoveDuplicateURLs1")->trigger();
    EXPECT_EQ(desktop.messages, QStringList{"1 Urls Removed"});
    child<QAction>("RemoveDuplicateDomains1")->trigger();
    child<QAction>("RemoveInvalidUrls1")->trigger();
    child<QAction>("rimtodomain1")->trigger();
    child<QAction>("RemoveEmptyLines1")->trigger();
    EXPECT_EQ(desktop.messages, (QStringList{"1 Urls Removed", "1 Urls Removed", "1 Urls Removed",
                                             "0 Urls Removed", "1 Lines Removed"}));
    EXPECT_EQ(pagesMemo()->toPlainText(), QStringLiteral("http://a.example\nhttp://b.example"));

    // The placeholder is ordinary text to the tools.
    pagesMemo()->setPlainText(QStringLiteral("Paste your URLs here"));
    child<QAction>("RemoveInvalidUrls1")->trigger();
    EXPECT_EQ(desktop.messages.last(), QStringLiteral("1 Urls Removed"));
    EXPECT_EQ(pagesMemo()->toPlainText(), QString());
}

// Lines past the cap and blanks around kept lines survive the memo round trip untouched.
TEST_F(MainWindow, ListToolsKeepLinesThatStayExactlyAsTheyWere)
{
    const QString longLine = QStringLiteral("http://long.example/") + QString(5000, u'x');
    const QString text =
        u'\t' + longLine + QStringLiteral(" \n\u00a0http://b.example/\nhttp://b.example/\n");
    pagesMemo()->setPlainText(text);
    child<QAction>("RemoveDuplicateURLs1")->trigger();
    EXPECT_EQ(desktop.messages, QStringList{"0 Urls Removed"}); // no-break space is not trimmed
    child<QAction>("RemoveDuplicateDomains1")->trigger();
    EXPECT_EQ(desktop.messages.last(), QStringLiteral("1 Urls Removed"));
    // The raw text: the plain text view would show the no-break space as a blank.
    EXPECT_EQ(pagesMemo()->document()->toRawText(),
              QString(u'\t' + longLine + QStringLiteral(" \n\u00a0http://b.example/\n"))
                  .replace(u'\n', QChar(0x2029)));
}

TEST_F(MainWindow, PublisherLinksOpenTheHomePage)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(child<QLabel>("spSkinLinkLabel3"), Qt::LeftButton);
    QTest::mouseClick(child<QLabel>("spSkinLinkImage1"), Qt::LeftButton);
    QTest::mouseClick(child<QLabel>("spSkinLinkLabel1"), Qt::LeftButton);
    EXPECT_EQ(desktop.opened, QStringList(3, QStringLiteral("https://orvane.app")));
}

} // namespace
} // namespace orvane
