// The page list's undo and redo keys as a user presses them: the real window on the xcb platform
// of a virtual X server (Xvfb), keys sent as X events by xdotool. Qt's offscreen platform uses
// other key bindings, so only this sees what the X desktop's Ctrl+Y and Ctrl+Shift+Z do.
// Exits 77 (skipped) when Xvfb or xdotool is not installed.

#include "support/window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr int kSkipped = 77;

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

// A virtual X server on a display nobody uses, for the life of the program.
class VirtualScreen
{
public:
    bool start()
    {
        for (int n = 150; n < 200; ++n) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock") ||
                std::filesystem::exists(socket)) {
                continue;
            }
            m_display = ":" + std::to_string(n);
            std::vector<std::string> arguments{"Xvfb",        m_display,   "-screen", "0",
                                               "1280x800x24", "-nolisten", "tcp"};
            std::vector<char *> argv;
            for (std::string &argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            if (posix_spawnp(&m_pid, "Xvfb", nullptr, nullptr, argv.data(), environ) != 0) {
                m_pid = -1;
                return false;
            }
            for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
                usleep(50000);
            }
            return std::filesystem::exists(socket);
        }
        return false;
    }
    const char *display() const { return m_display.c_str(); }
    ~VirtualScreen()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

} // namespace

int main(int argc, char **argv)
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        std::puts("Xvfb or xdotool is not installed: skipped");
        return kSkipped;
    }
    VirtualScreen screen;
    if (!screen.start()) {
        std::fputs("Xvfb did not start\n", stderr);
        return 1;
    }
    setenv("DISPLAY", screen.display(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
