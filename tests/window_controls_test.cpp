// The small widgets the main window is made of, each on its own: what they tell the window and
// what they keep to themselves.
#include "support/qt_print.h"
#include "ui/field_edits.h"
#include "ui/link_label.h"
#include "ui/results_list_view.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace orvane {
namespace {

// Only the focus moving from one control to another enters or leaves a field; popups, the
// window's activation and the menu bar borrow the focus and give it back.
template <class Field> void expectEnteringAndLeavingOnlyBetweenControls()
{
    struct Reason
    {
        Qt::FocusReason reason;
        bool counts;
    };
    const Reason reasons[] = {
        {Qt::MouseFocusReason, true},         {Qt::TabFocusReason, true},
        {Qt::BacktabFocusReason, true},       {Qt::ShortcutFocusReason, true},
        {Qt::OtherFocusReason, true},         {Qt::PopupFocusReason, false},
        {Qt::ActiveWindowFocusReason, false}, {Qt::MenuBarFocusReason, false},
    };
    Field field;
    QSignalSpy entered(&field, &Field::entered);
    QSignalSpy left(&field, &Field::left);
    for (const Reason &r : reasons) {
        SCOPED_TRACE(r.reason);
        entered.clear();
        left.clear();
        QFocusEvent in(QEvent::FocusIn, r.reason);
        QApplication::sendEvent(&field, &in);
        EXPECT_EQ(entered.size(), r.counts ? 1 : 0);
        EXPECT_EQ(left.size(), 0);
        QFocusEvent out(QEvent::FocusOut, r.reason);
        QApplication::sendEvent(&field, &out);
        EXPECT_EQ(entered.size(), r.counts ? 1 : 0);
        EXPECT_EQ(left.size(), r.counts ? 1 : 0);
    }
}

TEST(FieldEdits, EnterAndLeaveOnlyWhenTheFocusMovesBetweenControls)
{
    {
        SCOPED_TRACE("line edit");
        expectEnteringAndLeavingOnlyBetweenControls<FieldLineEdit>();
    }
    {
        SCOPED_TRACE("plain text edit");
        expectEnteringAndLeavingOnlyBetweenControls<FieldPlainTextEdit>();
    }
}

// The window's handlers run before the field's own: a placeholder put back on leaving is in the
// field by the time the field reports its editing finished.
TEST(FieldEdits, LeavingIsToldBeforeTheFieldsOwnHandling)
{
    FieldLineEdit field;
    QStringList heard;
    QObject::connect(&field, &FieldLineEdit::left, [&] {
        heard << QStringLiteral("left");
        field.setText(QStringLiteral("placeholder"));
    });
    QObject::connect(&field, &QLineEdit::editingFinished,
                     [&] { heard << QStringLiteral("finished ") + field.text(); });
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &in);
    field.setText(QString());
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &out);
    EXPECT_EQ(heard, (QStringList{"left", "finished placeholder"}));
}

// Every key is told to the window before the field handles it: the window's handler sees the text
// as it was before the key. (QTest also presses the modifier keys themselves; they are left out.)
TEST(FieldEdits, KeysAreToldBeforeTheFieldTakesThem)
{
    FieldLineEdit edit(QStringLiteral("ab"));
    edit.setCursorPosition(2);
    QStringList heard;
    QObject::connect(&edit, &FieldLineEdit::keyPressed,
                     [&](int key, Qt::KeyboardModifiers modifiers) {
                         if (key < Qt::Key_Shift || key > Qt::Key_Alt) {
                             heard << QStringLiteral("%1 %2 %3")
                                          .arg(key, 0, 16)
                                          .arg(modifiers.toInt(), 0, 16)
                                          .arg(edit.text());
                         }
                     });
    QTest::keyClick(&edit, Qt::Key_C);
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(heard, (QStringList{"43 0 ab", "41 24000000 abc"}));
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));

    FieldPlainTextEdit memo;
    memo.setPlainText(QStringLiteral("x"));
    memo.moveCursor(QTextCursor::End);
    heard.clear();
    QObject::connect(&memo, &FieldPlainTextEdit::keyPressed,
                     [&](int key, Qt::KeyboardModifiers modifiers) {
                         heard << QStringLiteral("%1 %2 %3")
                                      .arg(key, 0, 16)
                                      .arg(modifiers.toInt(), 0, 16)
                                      .arg(memo.toPlainText());
                     });
    QTest::keyClick(&memo, Qt::Key_Y);
    EXPECT_EQ(heard, (QStringList{"59 0 x"}));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("xy"));
}

TEST(LinkLabel, ALeftButtonReleaseClicksOnceAndNothingElseDoes)
{
    LinkLabel link(QStringLiteral("orvane.app"));
    link.resize(100, 20);
    QSignalSpy clicked(&link, &LinkLabel::clicked);
    QTest::mousePress(&link, Qt::LeftButton);
    EXPECT_EQ(clicked.size(), 0) << "a press alone";
    QTest::mouseRelease(&link, Qt::LeftButton);
    EXPECT_EQ(clicked.size(), 1);
    QTest::mouseClick(&link, Qt::RightButton);
    QTest::mouseClick(&link, Qt::MiddleButton);
    EXPECT_EQ(clicked.size(), 1) << "right and middle buttons";
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(clicked.size(), 2);
}

class ResultsListViewSignals : public ::testing::Test
{
protected:
    ResultsListViewSignals()
    {
        for (int row = 0; row < 3; ++row) {
            model.appendRow(new QStandardItem(QStringLiteral("row %1").arg(row)));
        }
        view.setModel(&model);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        view.resize(200, 150);
    }

    QStandardItemModel model;
    ResultsListView view;
};

// The window hears every key, and the list still moves and selects as usual.
TEST_F(ResultsListViewSignals, KeysAreToldAndStillWorkTheList)
{
    view.setCurrentIndex(model.index(0, 0));
    QSignalSpy keys(&view, &ResultsListView::keyPressed);
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    // (Holding Ctrl down is a key press of its own.)
    QStringList told;
    for (const QList<QVariant> &key : keys) {
        told << QKeySequence(key[1].value<Qt::KeyboardModifiers>() | Qt::Key(key[0].toInt()))
                    .toString();
    }
    EXPECT_EQ(told, (QStringList{"Down", "Ctrl+Control", "Ctrl+A"}));
    EXPECT_EQ(view.currentIndex().row(), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().size(), 3);
}

// A double click on a row is the window's alone: told once, no editing, no item signal (which a
// plain tree view gives for the same clicks).
TEST_F(ResultsListViewSignals, ADoubleClickIsToldOnceAndGoesNoFurther)
{
    QTreeView plain;
    plain.setModel(&model);
    plain.resize(view.size());
    for (QTreeView *list : {static_cast<QTreeView *>(&view), &plain}) {
        list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    }
    QSignalSpy told(&view, &ResultsListView::viewportDoubleClicked);
    QSignalSpy itemDoubleClicked(&view, &QAbstractItemView::doubleClicked);
    QSignalSpy plainDoubleClicked(&plain, &QAbstractItemView::doubleClicked);
    const QPoint onRow = view.visualRect(model.index(1, 0)).center();
    // What the window system sends for a double click.
    for (QTreeView *list : {static_cast<QTreeView *>(&view), &plain}) {
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, onRow);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, onRow);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onRow);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, onRow);
    }
    EXPECT_EQ(told.size(), 1);
    EXPECT_EQ(itemDoubleClicked.size(), 0);
    EXPECT_EQ(view.findChild<QLineEdit *>(), nullptr) << "an editor was opened";
    EXPECT_EQ(plainDoubleClicked.size(), 1);
    EXPECT_NE(plain.findChild<QLineEdit *>(), nullptr);
}

} // namespace
} // namespace orvane
