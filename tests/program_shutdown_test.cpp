#include "support/qt_print.h"
#include "support/test_http_server.h"
#include "support/wait.h"
#include "ui/program.h"
#include "ui/unhandled_errors.h"

#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>
#include <iostream>

namespace orvane {
namespace {

// The program answers --version and --help without a window; anything else is ignored.
TEST(CommandLine, AnswersVersionAndHelpAndIgnoresTheRest)
{
    const QString version = QStringLiteral("Orvane ") + QLatin1String(programVersion()) + u'\n';
    EXPECT_EQ(commandLineAnswer({QStringLiteral("--version")}), version);
    EXPECT_EQ(commandLineAnswer({QStringLiteral("list.txt"), QStringLiteral("--version")}),
              version);
    const std::optional<QString> help =
        commandLineAnswer({QStringLiteral("--help"), QStringLiteral("--version")});
    ASSERT_TRUE(help.has_value());
    EXPECT_TRUE(help->startsWith(QStringLiteral("Usage: orvane [--version | --help]\n")));
    EXPECT_EQ(commandLineAnswer({}), std::nullopt);
    EXPECT_EQ(commandLineAnswer({QStringLiteral("-version"), QStringLiteral("--Help")}),
              std::nullopt);
}

// Closing the program while hundreds of workers are fetching ends the process promptly and
// cleanly: transfers are cut, reports are dropped, nothing crashes or hangs.
TEST(ProgramShutdown, EndsPromptlyWhileHundredsOfWorkersFetch)
{
    test::TestHttpServer server;
    server.handle("/slow", [](test::HttpConnection &connection) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n<html>");
        connection.stall();
    });

    QProcess probe;
    probe.setProcessChannelMode(QProcess::SeparateChannels);
    probe.start(QStringLiteral(ORVANE_SHUTDOWN_PROBE),
                {server.url("/slow"), QStringLiteral("300")});
    ASSERT_TRUE(probe.waitForStarted(5000));

    // Wait for the window to close, then time the rest of the process's life.
    QByteArray output;
    while (!output.contains('\n') && probe.state() == QProcess::Running) {
        probe.waitForReadyRead(100);
        output += probe.readAllStandardOutput();
    }
    QElapsedTimer sinceClose;
    sinceClose.start();
    ASSERT_TRUE(output.startsWith("closing ")) << output.constData();
    EXPECT_GT(output.mid(8).trimmed().toInt(), 100) << "most workers should still be fetching";

    const bool ended = probe.waitForFinished(int(testing::kGiveUp.count()));
    const qint64 elapsed = sinceClose.elapsed();
    ASSERT_TRUE(ended);
    std::cout << "process ended " << elapsed << " ms after the window closed\n";
    // The default build ends in well under a second.
    EXPECT_LT(elapsed, testing::timeBound(std::chrono::seconds(1)).count());
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0);
    const QByteArray errors = probe.readAllStandardError();
    EXPECT_FALSE(errors.contains("Sanitizer")) << errors.constData();
    EXPECT_FALSE(errors.contains("runtime error")) << errors.constData();
}

} // namespace
} // namespace orvane
