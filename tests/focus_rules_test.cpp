// Desktop focus rules: Tab and Shift+Tab walk the window's tab order from every control, and a
// popup menu or a modal box borrows the focus without entering or leaving a field.
#include "support/qt_print.h"
#include "support/window_fixture.h"
#include "ui/desktop_services.h"
#include "ui/status_panel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <functional>

namespace orvane {
namespace {

class FocusRules : public testing::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    QList<QWidget *> tabOrder() const
    {
        return {resultsList(),
                websiteEdit(),
                child<QCheckBox>("AutoScrollTspSkinCheckRadioBox"),
                pagesMemo(),
                child<QRadioButton>("Show_in_Tray_IconTspSkinCheckRadioBox"),
                child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox")};
    }

    static QString focusName()
    {
        const QWidget *focused = QApplication::focusWidget();
        return focused != nullptr ? focused->objectName() : QStringLiteral("(none)");
    }

    static QString textOf(const QWidget *field)
    {
        if (const auto *edit = qobject_cast<const QLineEdit *>(field)) {
            return edit->text();
        }
        return static_cast<const QPlainTextEdit *>(field)->toPlainText();
    }

    // Empties the field by hand, as a user who has just deleted its text.
    void enterEmptied(QWidget *field)
    {
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        ASSERT_TRUE(field->hasFocus());
        ASSERT_EQ(textOf(field), QString());
    }

    // Runs `whileOpen` once the popup or box that `open` shows is up, then closes it.
    void withOpened(const std::function<void()> &open, const std::function<void()> &whileOpen)
    {
        bool ran = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget *shown = QApplication::activePopupWidget();
            if (shown == nullptr) {
                shown = QApplication::activeModalWidget();
            }
            if (shown == nullptr || ran) {
                return;
            }
            ran = true;
            whileOpen();
            shown->close();
        });
        poll.start(10);
        open();
        ASSERT_TRUE(testing::waitUntil([&] { return ran; }));
        // The window system gives the window its activation back once a box has gone (the
        // offscreen platform needs to be asked).
        if (!form.isActiveWindow()) {
            form.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        }
        // The focus comes back to a widget of the window once the box's events are through.
        ASSERT_TRUE(testing::waitUntil([this] {
            return QApplication::activePopupWidget() == nullptr &&
                   QApplication::activeModalWidget() == nullptr &&
                   QApplication::focusWidget() != nullptr &&
                   QApplication::focusWidget()->window() == &form;
        }));
    }
};

TEST_F(FocusRules, TabAndShiftTabWalkTheWholeCycleWithoutTypingIntoTheList)
{
    const QList<QWidget *> order = tabOrder();
    const QString pages = pagesMemo()->toPlainText();
    for (int start = 0; start < order.size(); ++start) {
        order[start]->setFocus(Qt::OtherFocusReason);
        for (int step = 1; step <= order.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(focusName(), order[(start + step) % order.size()]->objectName())
                << "Tab " << step << " from " << qPrintable(order[start]->objectName());
        }
        for (int step = 1; step <= order.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            const auto expected = (start - step + 2 * order.size()) % order.size();
            EXPECT_EQ(focusName(), order[expected]->objectName())
                << "Shift+Tab " << step << " from " << qPrintable(order[start]->objectName());
        }
    }
    // Tabbing through the page list never typed into it: the placeholder is back as it was.
    resultsList()->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(pagesMemo()->toPlainText(), pages);
    EXPECT_FALSE(pagesMemo()->toPlainText().contains(u'\t'));
}

// Each way to open something over the window, with an empty field in the focus: the field stays
// empty while it is open and keeps the focus afterwards; typing then gives only what was typed.
TEST_F(FocusRules, PopupsAndMessageBoxesDoNotCountAsLeavingAField)
{
    // The real modal box in place of the recording sink.
    DialogMessageSink box(&form);

    const std::vector<std::pair<const char *, std::function<void()>>> openers = {
        {"Remove URLs menu",
         [this] {
             QTest::mouseClick(child<QToolButton>("HelpTspSkinMenuSpeedButton"), Qt::LeftButton);
         }},
        {"status bar menu",
         [this] {
             QTest::mouseClick(child<StatusPanel>("ThreadsTspSkinStatusPanel"), Qt::LeftButton);
         }},
        {"page list menu",
         [this] {
             QWidget *viewport = pagesMemo()->viewport();
             QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    viewport->mapToGlobal(QPoint(5, 5)));
             QApplication::sendEvent(viewport, &menu);
         }},
        {"message box",
         [this, &box] {
             form.setMessageSink(&box);
             // The list is empty or shows its placeholder.
             child<QPushButton>("spSkinSpeedButton1")->click();
             form.setMessageSink(&desktop);
         }},
    };
    for (QWidget *field :
         {static_cast<QWidget *>(websiteEdit()), static_cast<QWidget *>(pagesMemo())}) {
        for (const auto &[name, open] : openers) {
            SCOPED_TRACE(std::string(name) + " over " + qPrintable(field->objectName()));
            enterEmptied(field);
            QString whileOpen = QStringLiteral("(not seen)");
            withOpened(open, [&] { whileOpen = textOf(field); });
            EXPECT_EQ(whileOpen, QString());
            EXPECT_TRUE(field->hasFocus());
            EXPECT_EQ(textOf(field), QString());
            QTest::keyClicks(field, QStringLiteral("abc"));
            EXPECT_EQ(textOf(field), QStringLiteral("abc"));
        }
    }
    // Leaving for another control still puts the placeholders back.
    websiteEdit()->clear();
    pagesMemo()->clear();
    resultsList()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(pagesMemo()->toPlainText(), QStringLiteral("Paste your URLs here"));
    websiteEdit()->setFocus(Qt::MouseFocusReason);
    resultsList()->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(websiteEdit()->text(), QStringLiteral("example.com"));
}

TEST_F(FocusRules, CleaningAListJustEmptiedByTheUserRemovesNothing)
{
    enterEmptied(pagesMemo());
    QMenu *menu = child<QMenu>("RemoveUrlsTspSkinPopupMenu");
    QAction *removeInvalid = child<QAction>("RemoveInvalidUrls1");
    withOpened(
        [this] {
            QTest::mouseClick(child<QToolButton>("HelpTspSkinMenuSpeedButton"), Qt::LeftButton);
        },
        [menu, removeInvalid] {
            QTest::mouseClick(menu, Qt::LeftButton, {},
                              menu->actionGeometry(removeInvalid).center());
        });
    EXPECT_EQ(desktop.messages, QStringList{QStringLiteral("0 Urls Removed")});
    EXPECT_EQ(pagesMemo()->toPlainText(), QString());
    EXPECT_TRUE(pagesMemo()->hasFocus());
}

} // namespace
} // namespace orvane
