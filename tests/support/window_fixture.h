#pragma once

#include "engine/worker_counters.h"
#include "support/recording_desktop.h"
#include "support/wait.h"
#include "ui/orvane_form.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <array>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace orvane::testing {

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
        // Leave no worker behind for the next test.
        form.scheduler().Stop();
        waitUntil([] { return no_threads.load() == 0; });
    }

    // The window's control, action or timer of that objectName; a missing one fails the test.
    template <class T> T *child(const char *objectName) const
    {
        T *found = form.findChild<T *>(QLatin1String(objectName));
        if (found == nullptr) {
            const std::string missing = std::string("the window has no ") +
                                        T::staticMetaObject.className() + " named " + objectName;
            ADD_FAILURE() << missing;
            throw std::logic_error(missing);
        }
        return found;
    }

    // The controls most tests work with.
    QLineEdit *websiteEdit() const { return child<QLineEdit>("WebsiteTspSkinEdit"); }
    QPlainTextEdit *pagesMemo() const { return child<QPlainTextEdit>("LinksTspSkinMemo"); }
    QTreeView *resultsList() const { return child<QTreeView>("DownloadsTspSkinListView"); }
    // The status bar's panels, left to right: total, gauge, threads, found, not found, time-out.
    std::array<const QWidget *, 6> statusBarPanels() const
    {
        return {child<QWidget>("TotalTspSkinStatusPanel"),
                child<QWidget>("spSkinGauge1"),
                child<QWidget>("ThreadsTspSkinStatusPanel"),
                child<QWidget>("FoundTspSkinStatusPanel"),
                child<QWidget>("NotFoundTspSkinStatusPanel"),
                child<QWidget>("TimeOutTspSkinStatusPanel")};
    }

    void setPages(const QStringList &lines) { pagesMemo()->setPlainText(lines.join(u'\n')); }
    bool waitForRunEnd(std::chrono::milliseconds timeout = kGiveUp)
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
