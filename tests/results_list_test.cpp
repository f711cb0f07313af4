#include "support/model_rows.h"
#include "support/qt_print.h"
#include "support/window_fixture.h"
#include "ui/results_list_view.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace orvane {
namespace {

using testing::waitUntil;

class ResultsList : public testing::WindowTest
{
protected:
    void addRow(const QString &url, bool found, const QString &anchor = {},
                const QString &link = {}, const CheckStatus &status = {})
    {
        testing::addReportedRow(*form.results(), url, {found, link, anchor, status, 120});
    }
    void addSampleRows()
    {
        addRow(QStringLiteral("http://a.example/"), true, QStringLiteral("Anchor A"),
               QStringLiteral("https://site.example/a"));
        addRow(QStringLiteral("http://b.example/"), false);
        testing::addPendingRow(*form.results(), QStringLiteral("http://c.example/"));
        addRow(QStringLiteral("http://d.example/"), false);
        addRow(QStringLiteral("http://e.example/"), true, QString(),
               QStringLiteral("https://site.example/e"), {CheckStatus::Http, 404});
    }
    QItemSelectionModel *selection() const { return resultsList()->selectionModel(); }
    void select(int row)
    {
        selection()->select(form.results()->index(row, 0),
                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QList<int> selected() const
    {
        QList<int> rows;
        for (const QModelIndex &index : selection()->selectedRows()) {
            rows << index.row();
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

TEST_F(ResultsList, CopiesSelectedRowsInListOrder)
{
    addSampleRows();
    select(2);
    child<QAction>("CopyURL1")->trigger();
    child<QAction>("CopySelectedURLstoClipboardColumns1")->trigger();
    // One row: no line end; a pending row copies what it shows.
    EXPECT_EQ(
        desktop.clipboard,
        (QStringList{"http://c.example/", "http://c.example/\tSearching...\tDownloading...\t\t"}));

    desktop.clipboard.clear();
    select(0); // selected after row 2, still copied first
    child<QAction>("CopyURL1")->trigger();
    child<QAction>("CopySelectedURLstoClipboardColumns1")->trigger();
    EXPECT_EQ(desktop.clipboard,
              (QStringList{"http://a.example/\r\nhttp://c.example/\r\n",
                           "http://a.example/\tFound\tAnchor A\thttps://site.example/a\tOK\r\n"
                           "http://c.example/\tSearching...\tDownloading...\t\t\r\n"}));

    desktop.clipboard.clear();
    selection()->clear();
    child<QAction>("CopyURL1")->trigger();
    child<QAction>("CopySelectedURLstoClipboardColumns1")->trigger();
    EXPECT_EQ(desktop.clipboard,
              (QStringList{QString(), QString()})); // still replaces the clipboard
}

TEST_F(ResultsList, ShortcutsCopyWhileTheListHasTheFocus)
{
    addSampleRows();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    resultsList()->setFocus();
    select(4);
    QTest::keyClick(resultsList(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(resultsList(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(desktop.clipboard,
              (QStringList{"http://e.example/",
                           "http://e.example/\tFound\t\thttps://site.example/e\tHTTP 404"}));
}

// The copy shortcuts belong to the list: in the fields the same keys copy nothing of the results.
TEST_F(ResultsList, CopyShortcutsActOnlyInTheList)
{
    addSampleRows();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    select(0);
    const QKeyCombination copies[] = {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::SHIFT | Qt::Key_C,
                                      Qt::CTRL | Qt::ALT | Qt::Key_C};
    for (const char *field : {"WebsiteTspSkinEdit", "LinksTspSkinMemo"}) {
        QWidget *other = child<QWidget>(field);
        other->setFocus();
        for (const QKeyCombination keys : copies) {
            QTest::keyClick(other, keys.key(), keys.keyboardModifiers());
        }
        EXPECT_EQ(desktop.clipboard, QStringList()) << field;
    }
    QTreeView *list = resultsList();
    list->setFocus();
    for (const QKeyCombination keys : copies) {
        QTest::keyClick(list, keys.key(), keys.keyboardModifiers());
    }
    EXPECT_EQ(desktop.clipboard.size(), 3);
}

TEST_F(ResultsList, SelectsExactlyTheFoundRows)
{
    addSampleRows();
    select(1);
    select(3);
    child<QAction>("SelectSuccessfullylinks1")->trigger();
    EXPECT_EQ(selected(), (QList<int>{0, 4}));

    form.results()->clear();
    addRow(QStringLiteral("http://x.example/"), false);
    select(0);
    child<QAction>("SelectSuccessfullylinks1")->trigger();
    EXPECT_TRUE(selected().isEmpty());
    EXPECT_TRUE(child<QFrame>("spSkinPanel1")->updatesEnabled());
}

TEST_F(ResultsList, CtrlASelectsAllOnlyWithCtrlAlone)
{
    addSampleRows();
    form.show();
    resultsList()->setFocus();
    QTest::keyClick(resultsList(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(resultsList(), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(resultsList(), Qt::Key_A);
    EXPECT_LE(selected().size(), 1); // plain A may move the current row; it selects nothing more
    QTest::keyClick(resultsList(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selected(), (QList<int>{0, 1, 2, 3, 4}));
    child<QAction>("Selectall1")->trigger(); // the menu item adds nothing and deselects nothing
    EXPECT_EQ(selected().size(), 5);
}

TEST_F(ResultsList, DoubleClickOpensTheFirstSelectedWebAddressOnly)
{
    addSampleRows();
    form.results()->appendRow(QStringLiteral("file:///etc/passwd"));
    emit child<ResultsListView>("DownloadsTspSkinListView")->viewportDoubleClicked();
    EXPECT_TRUE(desktop.opened.isEmpty());
    select(3);
    select(1);
    emit child<ResultsListView>("DownloadsTspSkinListView")->viewportDoubleClicked();
    EXPECT_EQ(desktop.opened, QStringList{"http://b.example/"});
    selection()->clear();
    select(5);
    emit child<ResultsListView>("DownloadsTspSkinListView")->viewportDoubleClicked();
    EXPECT_EQ(desktop.opened.size(), 1); // a local path is never handed to the system
}

TEST_F(ResultsList, SelectionBurstsSuspendPaintingUntilTheOneShotTick)
{
    addSampleRows();
    form.show();
    child<QAction>("Selectall1")->trigger();
    // The command resumes painting itself, but its selection changes started the one-shot timer.
    EXPECT_TRUE(child<QTimer>("EndUpdateTTimer")->isActive());
    selection()->select(form.results()->index(1, 0),
                        QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    EXPECT_FALSE(child<QFrame>("spSkinPanel1")->updatesEnabled());
    ASSERT_TRUE(waitUntil([&] { return !child<QTimer>("EndUpdateTTimer")->isActive(); }));
    EXPECT_TRUE(child<QFrame>("spSkinPanel1")->updatesEnabled());
}

TEST_F(ResultsList, AutoScrollFollowsNewRowsWhileTicked)
{
    form.show();
    for (int i = 0; i < 200; ++i) {
        addRow(QStringLiteral("http://p%1.example/").arg(i), true);
    }
    QCoreApplication::processEvents();
    QTreeView *list = resultsList();
    const QRect lastRow = list->visualRect(form.results()->index(199, 0));
    EXPECT_TRUE(list->viewport()->rect().contains(lastRow)) << "the newest row is in full view";

    // Following is up and down only: a user reading the last columns stays there.
    list->horizontalScrollBar()->setValue(list->horizontalScrollBar()->maximum());
    const int right = list->horizontalScrollBar()->value();
    ASSERT_GT(right, 0);
    addRow(QStringLiteral("http://newer.example/"), true);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->horizontalScrollBar()->value(), right);
    EXPECT_TRUE(list->viewport()->rect().contains(
        list->visualRect(form.results()->index(200, RobotsColumn))));

    child<QCheckBox>("AutoScrollTspSkinCheckRadioBox")->setChecked(false);
    list->scrollToTop();
    QCoreApplication::processEvents();
    addRow(QStringLiteral("http://late.example/"), true);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
}

} // namespace
} // namespace orvane
