#pragma once

#include "engine/worker_counters.h"
#include "run/desktop_seams.h"
#include "support/wait.h"
#include "ui/orvane_form.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <gtest/gtest.h>

namespace orvane::testing {

// The desktop as a test sees it: messages, clipboard texts and opened addresses are recorded.
class RecordingDesktop final : public MessageSink, public ClipboardSink, public AddressOpener
{
public:
    void information(const QString &text) override { messages << text; }
    void setText(const QString &text) override { clipboard << text; }
    void open(const QString &address) override { opened << address; }

    QStringList messages;
    QStringList clipboard;
    QStringList opened;
};

// The real main window with a recording desktop.
class WindowTest : public ::testing::Test
{
protected:
    WindowTest()
    {
        form.setMessageSink(&desktop);
        form.setClipboard(&desktop);
        form.setAddressOpener(&desktop);
    }
    void SetUp() override
    {
        ASSERT_TRUE(waitUntil([] { return no_threads.load() == 0; }));
    }
    void TearDown() override
    {
        // Leave no worker behind for the next test, and the defaults as they were.
        form.scheduler().Stop();
        waitUntil([] { return no_threads.load() == 0; });
        time_out = 30000;
    }

    void setPages(const QStringList &lines)
    {
        form.LinksTspSkinMemo->setPlainText(lines.join(u'\n'));
    }
    bool waitForRunEnd(std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        return waitUntil([this] { return !form.scheduler().isRunning() && no_threads.load() == 0; },
                         timeout);
    }
    QString cell(int row, int column) const
    {
        return form.results()->index(row, column).data().toString();
    }
    int image(int row) const { return form.results()->rowAt(row).imageIndex; }

    TOrvaneTForm form;
    RecordingDesktop desktop;
};

} // namespace orvane::testing
