#include "support/test_http_server.h"

#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>
#include <iostream>

namespace orvane {
namespace {

// Closing the program while hundreds of workers are fetching ends the process promptly and
// cleanly: transfers are cut, reports are dropped, nothing crashes or hangs.
TEST(ProgramShutdown, EndsWithinTwoSecondsWhileHundredsOfWorkersFetch)
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

    const bool ended = probe.waitForFinished(10000);
    const qint64 elapsed = sinceClose.elapsed();
    ASSERT_TRUE(ended);
    std::cout << "process ended " << elapsed << " ms after the window closed\n";
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0);
    const QByteArray errors = probe.readAllStandardError();
    EXPECT_FALSE(errors.contains("Sanitizer")) << errors.constData();
    EXPECT_FALSE(errors.contains("runtime error")) << errors.constData();
}

} // namespace
} // namespace orvane
