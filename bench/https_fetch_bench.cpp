// Client-side cost of one HTTPS fetch with the shared CA store and without it (each handle then
// parses the bundle itself). `scripts/bench.sh https` runs it without arguments: it then serves
// pages over TLS on 127.0.0.1 with the tests' server and a CA made for the run, writes a bundle of
// the system's certificates and that CA (so that the parse costs what it costs in real use), and
// runs itself as the client once per mode, so that the server's memory and the peak RSS of one
// mode hide nothing of the other's.

#include "engine/ca_store.h"
#include "engine/page_fetcher.h"
#include "support/test_certificates.h"
#include "support/test_http_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

struct Usage
{
    double cpuMs = 0; // user + system, whole process
    long maxRssKb = 0;
};

Usage usageNow()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return {ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_maxrss};
}

bool fetchOk(const QString &url)
{
    QByteArray page;
    try {
        const QString note = orvane::Download_Page(url, page, 10000);
        return note.isEmpty() && !page.isEmpty();
    } catch (const orvane::DownloadError &error) {
        std::fprintf(stderr, "fetch failed: %s\n", error.what());
        return false;
    }
}

int usage(const char *program)
{
    std::fprintf(stderr,
                 "usage: %s [--fetches N] [--concurrent N]\n"
                 "       %s --url https://127.0.0.1:PORT --slow-url URL --ca-bundle FILE "
                 "--mode shared|per-handle [--fetches N] [--concurrent N]\n",
                 program, program);
    return 2;
}

constexpr char kSystemBundle[] = "/etc/ssl/certs/ca-certificates.crt";

// Serves the pages and runs the client once per mode; returns the exit code.
int serveAndMeasure(const QStringList &clientArguments)
{
    using namespace orvane::test;
    QFile system{QString::fromLatin1(kSystemBundle)};
    if (!system.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", kSystemBundle);
        return 1;
    }
    const TestCertificates certificates = makeCaSignedCertificates();
    QTemporaryDir work;
    const QString bundlePath = work.filePath(QStringLiteral("bundle.pem"));
    QFile bundle(bundlePath);
    if (!work.isValid() || !bundle.open(QIODevice::WriteOnly) ||
        bundle.write(system.readAll() + '\n' + certificates.caCertificatePem) < 0) {
        std::fprintf(stderr, "cannot write the bundle\n");
        return 1;
    }
    bundle.close();

    TestHttpServer server(certificates.server);
    const QByteArray page = "<html><body>" + QByteArray(4000, 'x') + "</body></html>";
    server.handle("/",
                  [page](HttpConnection &c) { c.respond(200, {"Content-Type: text/html"}, page); });
    // Keeps every connection of the concurrent phase open at once.
    server.handle("/slow", [page](HttpConnection &c) {
        if (c.pause(std::chrono::milliseconds(500))) {
            c.respond(200, {"Content-Type: text/html"}, page);
        }
    });

    std::printf("bundle: %lld bytes\n", static_cast<long long>(QFile(bundlePath).size()));
    std::fflush(stdout);
    for (const char *mode : {"per-handle", "shared"}) {
        QProcess client;
        client.setProcessChannelMode(QProcess::ForwardedChannels);
        client.start(QCoreApplication::applicationFilePath(),
                     QStringList{QStringLiteral("--url"), server.url("/"),
                                 QStringLiteral("--slow-url"), server.url("/slow"),
                                 QStringLiteral("--ca-bundle"), bundlePath,
                                 QStringLiteral("--mode"), QLatin1String(mode)} +
                         clientArguments);
        if (!client.waitForFinished(-1) || client.exitStatus() != QProcess::NormalExit ||
            client.exitCode() != 0) {
            std::fprintf(stderr, "the %s client failed\n", mode);
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    {
        bool clientMode = false;
        for (int i = 1; i < argc; ++i) {
            clientMode = clientMode || std::strcmp(argv[i], "--url") == 0;
        }
        if (!clientMode) {
            QStringList passOn = application.arguments().mid(1);
            for (int i = 0; i < passOn.size(); i += 2) {
                if (passOn[i] != QLatin1String("--fetches") &&
                    passOn[i] != QLatin1String("--concurrent")) {
                    return usage(argv[0]);
                }
            }
            return serveAndMeasure(passOn);
        }
    }
    QString url;
    QString slowUrl;
    QString bundle;
    std::string mode;
    int fetches = 200;
    int concurrent = 50;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char *value = argv[i + 1];
        if (option == "--url") {
            url = QString::fromLocal8Bit(value);
        } else if (option == "--slow-url") {
            slowUrl = QString::fromLocal8Bit(value);
        } else if (option == "--ca-bundle") {
            bundle = QString::fromLocal8Bit(value);
        } else if (option == "--mode") {
            mode = value;
        } else if (option == "--fetches") {
            fetches = std::atoi(value);
        } else if (option == "--concurrent") {
            concurrent = std::atoi(value);
        } else {
            return usage(argv[0]);
        }
    }
    if (url.isEmpty() || slowUrl.isEmpty() || bundle.isEmpty() ||
        (mode != "shared" && mode != "per-handle") || fetches <= 0 || concurrent <= 0) {
        return usage(argv[0]);
    }

    orvane::initializeFetcher();
    orvane::tls::setCaBundleFile(bundle);
    orvane::tls::setSharedStoreEnabled(mode == "shared");

    const Usage baseline = usageNow();
    if (!fetchOk(url)) {
        return 1;
    }
    const Usage afterFirst = usageNow();

    const auto wallStart = std::chrono::steady_clock::now();
    for (int i = 0; i < fetches; ++i) {
        if (!fetchOk(url)) {
            return 1;
        }
    }
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
            .count();
    const Usage afterSequential = usageNow();

    // All connections open at once (the server holds each answer back), as a run with many
    // workers has them.
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    threads.reserve(concurrent);
    for (int i = 0; i < concurrent; ++i) {
        threads.emplace_back([&] {
            if (!fetchOk(slowUrl)) {
                ++failures;
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    if (failures.load() != 0) {
        return 1;
    }
    const Usage afterConcurrent = usageNow();

    std::printf("%-10s first fetch: %6.2f ms CPU | %d sequential fetches: %6.2f ms CPU/fetch, "
                "%6.2f ms wall/fetch | peak RSS growth: %6ld kB sequential, %7ld kB with %d "
                "concurrent\n",
                mode.c_str(), afterFirst.cpuMs - baseline.cpuMs, fetches,
                (afterSequential.cpuMs - afterFirst.cpuMs) / fetches, wallMs / fetches,
                afterSequential.maxRssKb - baseline.maxRssKb,
                afterConcurrent.maxRssKb - baseline.maxRssKb, concurrent);
    return 0;
}
