// The page list's undo and redo keys as a user presses them: the real window on the xcb platform
// of a virtual X server (CTest runs this under xvfb-run), keys sent as X events by xdotool. Qt's
// offscreen platform uses other key bindings, so only this sees what the X desktop's Ctrl+Y and
// Ctrl+Shift+Z do.

#include "support/window_fixture.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

// Sends keys to the window with the X focus, as a keyboard would.
void pressKeys(const char *keys)
{
    const std::string command = std::string("xdotool key --clearmodifiers ") + keys;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

using RedoKeysUnderX = orvane::testing::WindowTest;

TEST_F(RedoKeysUnderX, UndoAndBothRedoKeysStepThroughARemoveUrlsCommandOnceEach)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const std::string focus =
        "xdotool windowfocus --sync " + std::to_string(static_cast<qulonglong>(form.winId()));
    ASSERT_EQ(std::system(focus.c_str()), 0);
    ASSERT_TRUE(orvane::testing::waitUntil([this] { return form.isActiveWindow(); }));

    auto *memo = child<QPlainTextEdit>("LinksTspSkinMemo");
    memo->setFocus();
    ASSERT_TRUE(orvane::testing::waitUntil([memo] { return memo->hasFocus(); }));
    // Two commands, so that a key acting twice shows.
    const QString pasted =
        QStringLiteral("http://a.example/\n\nhttp://a.example/\nhttp://b.example/");
    const QString unique = QStringLiteral("http://a.example/\n\nhttp://b.example/");
    const QString cleaned = QStringLiteral("http://a.example/\nhttp://b.example/");
    memo->setPlainText(pasted);
    child<QAction>("RemoveDuplicateURLs1")->trigger();
    child<QAction>("RemoveEmptyLines1")->trigger();
    ASSERT_EQ(memo->toPlainText(), cleaned);

    struct Step
    {
        const char *keys;
        QString text;
    };
    const Step steps[] = {
        {"ctrl+z", unique}, {"ctrl+z", pasted}, {"ctrl+y", unique},       {"ctrl+shift+z", cleaned},
        {"ctrl+z", unique}, {"ctrl+z", pasted}, {"ctrl+shift+z", unique}, {"ctrl+y", cleaned},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.keys);
        pressKeys(step.keys);
        // One X key press is one key event: a key that acts twice goes past this text at once.
        ASSERT_TRUE(orvane::testing::waitUntil([&] { return memo->toPlainText() == step.text; },
                                               std::chrono::seconds(5)))
            << memo->toPlainText().toStdString();
    }
}

} // namespace
