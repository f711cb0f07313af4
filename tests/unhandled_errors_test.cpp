#include "engine/page_fetcher.h"
#include "support/qt_print.h"
#include "support/test_http_server.h"
#include "support/window_fixture.h"
#include "ui/crash_signals.h"
#include "ui/unhandled_errors.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <new>
#include <stdexcept>
#include <sys/resource.h>

namespace orvane {
namespace {

using testing::waitUntil;

// Records every failure shown. A box that stays "open" runs a nested event loop, as exec() does.
class RecordingErrorSink final : public ErrorReportSink
{
public:
    void showError(const QString &failure, const QString &report) override
    {
        failures << failure;
        reports << report;
        maxDepth = std::max(maxDepth, ++depth);
        if (opened) {
            opened();
        }
        if (openFor.count() > 0) {
            QEventLoop box;
            QTimer::singleShot(openFor, &box, &QEventLoop::quit);
            box.exec();
        }
        --depth;
        if (closed) {
            closed();
        }
    }

    QStringList failures;
    QStringList reports;
    std::chrono::milliseconds openFor{0};
    std::function<void()> opened;
    std::function<void()> closed;
    int depth = 0;
    int maxDepth = 0;
};

// Puts a recorder in place of the application's error box for one test.
class ErrorSinkSwap
{
public:
    ErrorSinkSwap() : m_previous(OrvaneApplication::setErrorReportSink(&errors)) {}
    ~ErrorSinkSwap() { OrvaneApplication::setErrorReportSink(m_previous); }
    ErrorSinkSwap(const ErrorSinkSwap &) = delete;
    ErrorSinkSwap &operator=(const ErrorSinkSwap &) = delete;

    RecordingErrorSink errors;

private:
    ErrorReportSink *m_previous;
};

// A clipboard that fails as a real one can: out of memory, or refused.
class ThrowingClipboard final : public ClipboardSink
{
public:
    void setText(const QString & /*text*/) override { fail(); }
    std::function<void()> fail;
};

void expectVersionsIn(const QString &report, const QString &failure)
{
    EXPECT_TRUE(report.contains(QStringLiteral("Orvane ") + QString::fromLatin1(programVersion())))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Error: ") + failure)) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Qt ") + QString::fromLatin1(qVersion())))
        << report.toStdString();
    EXPECT_TRUE(curlVersionText().startsWith(QStringLiteral("libcurl/")));
    EXPECT_TRUE(report.contains(curlVersionText())) << report.toStdString();
}

class UnhandledErrors : public testing::WindowTest
{
protected:
    // The cells of the rows whose check has ended, by row.
    QMap<int, QStringList> filledRows() const
    {
        QMap<int, QStringList> rows;
        for (int row = 0; row < form.results()->rowCount(); ++row) {
            if (image(row) == ImagePending) {
                continue;
            }
            QStringList &cells = rows[row];
            for (int column = 0; column < ResultColumnCount; ++column) {
                cells << cell(row, column);
            }
        }
        return rows;
    }

    ErrorSinkSwap swap;
    RecordingErrorSink &errors = swap.errors;
};

TEST_F(UnhandledErrors, AFailingCopyIsReportedOnceAndTheRunGoesOn)
{
    test::TestHttpServer server;
    const QByteArray linking = "<p><a href='https://www.site.example/'>Our site</a></p>";
    QStringList lines;
    for (int i = 0; i < 20; ++i) {
        const QByteArray path = "/p" + QByteArray::number(i);
        server.handle(path, [linking](test::HttpConnection &c) {
            c.pause(std::chrono::milliseconds(200));
            c.respond(200, {"Content-Type: text/html"}, linking);
        });
        lines << server.url(path);
    }
    child<QAction>("N5Threads2")->trigger();
    setPages(lines);
    websiteEdit()->setText(QStringLiteral("site.example"));
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    ThrowingClipboard clipboard;
    form.setClipboard(&clipboard);
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitUntil([&] { return filledRows().size() >= 3; }));

    struct Case
    {
        const char *name;
        std::function<void()> fail;
        QString failure;
    };
    const Case cases[] = {
        {"out of memory", [] { throw std::bad_alloc(); }, QStringLiteral("std::bad_alloc")},
        {"refused", [] { throw std::runtime_error("the clipboard is held by another program"); },
         QStringLiteral("the clipboard is held by another program")},
        {"not a std::exception", [] { throw 42; }, QStringLiteral("unknown exception")},
    };
    qsizetype shown = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        clipboard.fail = c.fail;
        const QMap<int, QStringList> before = filledRows();
        resultsList()->setFocus();
        QTest::keyClick(resultsList(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(resultsList(), Qt::Key_C, Qt::ControlModifier);

        ASSERT_EQ(errors.failures.size(), ++shown);
        EXPECT_EQ(errors.failures.last(), c.failure);
        expectVersionsIn(errors.reports.last(), c.failure);
        const QMap<int, QStringList> after = filledRows();
        for (auto row = before.begin(); row != before.end(); ++row) {
            EXPECT_EQ(after.value(row.key()), row.value()) << "row " << row.key();
        }
    }
    EXPECT_TRUE(form.scheduler().isRunning()) << "the failures came too late to test anything";

    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(errors.failures.size(), qsizetype(std::size(cases)));
    EXPECT_EQ(desktop.messages, QStringList{QString::fromLatin1(kRunCompleted)});
    ASSERT_EQ(form.results()->rowCount(), lines.size());
    for (int row = 0; row < lines.size(); ++row) {
        EXPECT_EQ(cell(row, UrlColumn), lines[row]);
        EXPECT_EQ(cell(row, FoundColumn), QStringLiteral("Found"));
        EXPECT_EQ(cell(row, StatusColumn), QStringLiteral("OK"));
        EXPECT_EQ(image(row), ImageFound);
    }
}

TEST(UnhandledErrorBox, FailuresWhileTheBoxIsOpenStackNoSecondBox)
{
    ErrorSinkSwap swap;
    RecordingErrorSink &errors = swap.errors;
    errors.openFor = std::chrono::milliseconds(150);

    // While the box is open, a timer fails again and again, and so does a queued call.
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [] { throw std::runtime_error("tick failed"); });
    errors.opened = [&ticker] {
        ticker.start();
        QMetaObject::invokeMethod(
            qApp, [] { throw std::runtime_error("queued call failed"); }, Qt::QueuedConnection);
    };
    errors.closed = [&ticker] { ticker.stop(); };
    const int unshownBefore = OrvaneApplication::unshownFailures();
    QTimer::singleShot(0, [] { throw std::runtime_error("first"); });
    ASSERT_TRUE(waitUntil([&] { return errors.failures.size() == 1 && errors.depth == 0; }));

    EXPECT_EQ(errors.failures, QStringList{QStringLiteral("first")});
    EXPECT_EQ(errors.maxDepth, 1);
    // About 30 ticks fire while the box is open; a busy machine may deliver fewer.
    EXPECT_GE(OrvaneApplication::unshownFailures() - unshownBefore, 5);

    // Once the box is closed, the next failure gets a box of its own.
    errors.openFor = std::chrono::milliseconds(0);
    errors.opened = nullptr;
    errors.closed = nullptr;
    QTimer::singleShot(0, [] { throw std::logic_error("later"); });
    ASSERT_TRUE(waitUntil([&] { return errors.failures.size() == 2; }));
    EXPECT_EQ(errors.failures.last(), QStringLiteral("later"));
}

TEST(UnhandledErrorBox, NamesTheFailureAndCopiesTheReportWithoutClosing)
{
    QGuiApplication::clipboard()->clear();
    const QString report = errorReport(QStringLiteral("disk on fire"));
    bool stayedOpen = false;
    QString text;
    QImage icon;
    // Plays the user once the box is up; closes it in any case so the test cannot hang.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        user.stop();
        for (const QLabel *label : box->findChildren<QLabel *>()) {
            text += label->text();
            if (!label->pixmap().isNull()) {
                icon = label->pixmap().toImage();
            }
        }
        for (QAbstractButton *button : box->findChildren<QAbstractButton *>()) {
            if (button->text() == QStringLiteral("Copy Report")) {
                button->click();
                stayedOpen = box->isVisible();
            }
        }
        for (QAbstractButton *button : box->findChildren<QAbstractButton *>()) {
            if (button->text().remove(u'&') == QStringLiteral("OK")) {
                button->click();
            }
        }
        box->reject();
    });
    user.start(10);

    DialogErrorReportSink().showError(QStringLiteral("disk on fire"), report);

    EXPECT_TRUE(text.contains(QStringLiteral("An unexpected error occurred: disk on fire")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("results so far are kept"))) << text.toStdString();
    QStyle *style = QApplication::style();
    const QPixmap critical = style->standardIcon(QStyle::SP_MessageBoxCritical)
                                 .pixmap(style->pixelMetric(QStyle::PM_MessageBoxIconSize));
    EXPECT_EQ(icon, critical.toImage());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), report);
}

// A window command gets the arguments of the signal it is connected to (or none, if it takes
// none), and its failure is reported once instead of unwinding through the signal's sender.
TEST(UnhandledErrorBox, CommandsTakeTheirSignalsArgumentsAndReportTheirFailures)
{
    ErrorSinkSwap swap;
    QObject sender;
    QStringList names;
    QObject::connect(&sender, &QObject::objectNameChanged,
                     reportingFailures([&names](const QString &name) {
                         names << name;
                         if (name == QStringLiteral("fails")) {
                             throw std::runtime_error("command failed");
                         }
                     }));
    sender.setObjectName(QStringLiteral("first"));
    sender.setObjectName(QStringLiteral("fails"));
    sender.setObjectName(QStringLiteral("after"));
    EXPECT_EQ(names, (QStringList{"first", "fails", "after"}));
    EXPECT_EQ(swap.errors.failures, QStringList{QStringLiteral("command failed")});

    QAction item;
    int triggered = 0;
    QObject::connect(&item, &QAction::triggered, reportingFailures([&triggered] { ++triggered; }));
    item.trigger();
    EXPECT_EQ(triggered, 1);
}

// The report text as a POSIX extended regular expression.
QString literally(const QString &text)
{
    QString pattern;
    for (const QChar c : text) {
        if (QStringLiteral(".[]{}()*+?|^$\\").contains(c)) {
            pattern += u'\\';
        }
        pattern += c;
    }
    return pattern;
}

TEST(CrashReportDeathTest, AFatalSignalIsReportedAndStillKillsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case
    {
        const char *name;
        int signal;
        void (*crash)();
    };
    const Case cases[] = {
        {"SIGABRT", SIGABRT, [] { std::abort(); }},
        {"SIGSEGV", SIGSEGV, [] { std::raise(SIGSEGV); }},
        {"SIGBUS", SIGBUS, [] { std::raise(SIGBUS); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString expected =
            literally(QStringLiteral("Orvane %1 crashed: signal %2 (%3)\nQt %4\n")
                          .arg(QString::fromLatin1(programVersion()))
                          .arg(c.signal)
                          .arg(QString::fromLatin1(c.name))
                          .arg(QString::fromLatin1(qVersion()))) +
            // At least one frame: "<binary>(<symbol>+<offset>)[<address>]".
            QStringLiteral("Backtrace:\n.*\\[0x[0-9a-f]+\\]");
        const auto crashNow = [&c] {
            // No core file for a crash on purpose.
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            installCrashReport();
            c.crash();
        };
        EXPECT_EXIT(crashNow(), ::testing::KilledBySignal(c.signal), expected.toStdString());
    }
}

} // namespace
} // namespace orvane
