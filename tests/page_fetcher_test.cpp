#include "engine/ca_store.h"
#include "engine/page_fetcher.h"
#include "engine/polite_fetch.h"
#include "engine/site_gate.h"
#include "support/named_cases.h"
#include "support/test_certificates.h"
#include "support/test_http_server.h"
#include "support/wait.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace orvane {
namespace {

using namespace std::chrono_literals;
using test::HttpConnection;
using test::TestHttpServer;
using Clock = std::chrono::steady_clock;

// One call of Download_Page, whatever way it ended.
struct Fetched
{
    QString note;
    QByteArray page;
    QString error; // the DownloadError's text; empty when the call returned
    std::chrono::milliseconds elapsed{};
};

// The time-out is long unless a test is about it: a fetch that ends otherwise must not be cut short
// on a slow machine.
Fetched fetch(const QString &url, int timeOutMs = 60000)
{
    Fetched result;
    result.page = "left over from an earlier call";
    const auto start = Clock::now();
    try {
        result.note = Download_Page(url, result.page, timeOutMs);
    } catch (const DownloadError &error) {
        result.error = QString::fromUtf8(error.what());
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return result;
}

QByteArray patternBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    }
    return bytes;
}

QByteArray okHead(qsizetype contentLength)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
           QByteArray::number(contentLength) + "\r\nConnection: close\r\n\r\n";
}

class PageFetcherTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The servers are on loopback; a proxy configured on the machine must not get in between.
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    }
    void TearDown() override
    {
        resetDownloadAbort();
        tls::setCaBundleFile(QString());
        tls::setSharedStoreEnabled(true);
    }

    // Outlives the test body: handlers capture what they use by value.
    TestHttpServer server;
};

// --- What goes out ---------------------------------------------------------------------------

using PageFetcherRequest = PageFetcherTest;

TEST_F(PageFetcherRequest, SendsExactlyTheFixedRequestHead)
{
    server.handle("/page?id=7", [](HttpConnection &c) { c.respond(200, {}, "ok"); });

    const Fetched result = fetch(server.url("/page?id=7"));

    ASSERT_EQ(result.error, QString());
    const QList<QByteArray> heads = server.requestHeads();
    ASSERT_EQ(heads.size(), 1);
    // Whole-head equality: also proves there is no curl "Accept: */*" beside ACCEPT, no
    // Accept-Encoding, and nothing else added.
    const QByteArray expected =
        "GET /page?id=7 HTTP/1.1\r\n"
        "Host: 127.0.0.1:" +
        QByteArray::number(server.port()) +
        "\r\n"
        "User-Agent: Mozilla/5.0 (Windows NT 6.1; rv:22.0) Gecko/20100101 Firefox/22.0\r\n"
        "Accept-Charset: utf-8\r\n"
        "ACCEPT: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
        "ACCEPT_ENCODING: gzip, deflate\r\n"
        "REFERER: http://www.google.com\r\n"
        "CONNECTION: keep-alive\r\n"
        "\r\n";
    EXPECT_EQ(heads.first(), expected);
}

// --- The body --------------------------------------------------------------------------------

using PageFetcherBody = PageFetcherTest;

TEST_F(PageFetcherBody, EmptyBodyGivesEmptyPageWithoutNote)
{
    server.handle("/empty", [](HttpConnection &c) { c.respond(200, {}, ""); });

    const Fetched result = fetch(server.url("/empty"));

    EXPECT_EQ(result.error, QString());
    EXPECT_EQ(result.note, QString());
    EXPECT_TRUE(result.page.isEmpty()); // also: the caller's old content was dropped
}

TEST_F(PageFetcherBody, BodyWrittenInOddPiecesArrivesWholeAndInOrder)
{
    const QByteArray body = patternBytes(2500);
    const QList<QList<qsizetype>> splits = {{1024, 1024, 452}, {1, 7, 1000, 13, 1, 1478}};
    for (qsizetype i = 0; i < splits.size(); ++i) {
        const QByteArray target = "/pieces" + QByteArray::number(i);
        server.handle(target, [body, split = splits[i]](HttpConnection &c) {
            c.send(okHead(body.size())) && c.sendInPieces(body, split);
        });

        const Fetched result = fetch(server.url(target));

        EXPECT_EQ(result.error, QString()) << "split " << i;
        EXPECT_EQ(result.note, QString()) << "split " << i;
        EXPECT_EQ(result.page, body) << "split " << i;
    }
}

TEST_F(PageFetcherBody, Utf8CharacterSplitAcrossWritesArrivesIntact)
{
    // The euro sign's three bytes straddle the two writes: E2 | 82 AC.
    const QByteArray body = QByteArray(1023, 'a') + "\xE2\x82\xAC" + "b";
    server.handle("/euro", [body](HttpConnection &c) {
        c.send(okHead(body.size())) && c.sendInPieces(body, {1024}, 60ms);
    });

    const Fetched result = fetch(server.url("/euro"));

    EXPECT_EQ(result.note, QString());
    EXPECT_EQ(result.page, body);
    EXPECT_EQ(QString::fromUtf8(result.page).right(2), QStringLiteral("\u20ACb"));
}

TEST_F(PageFetcherBody, CompressedBodyIsHandedOverUndecoded)
{
    // gzip of an HTML snippet, as a server that ignores what we accept might send it.
    const QByteArray gzipped(
        "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\xb3\xc9\x28\xc9\xcd\xb1\xb3\x49\xca\x4f\xa9\xb4"
        "\xb3\x49\x54\xc8\x28\x4a\x4d\xb3\x55\xca\x28\x29\x29\xb0\xd2\xd7\x4f\xad\x48\xcc\x2d\xc8"
        "\x49\xd5\x4b\xce\xcf\xd5\x57\xb2\x83\xf2\x6c\xf4\x13\xed\x6c\xf4\x21\xea\xf5\xc1\x9a\x01"
        "\x3d\xfa\x10\x5d\x43\x00\x00\x00",
        74);
    server.handle("/gzip", [gzipped](HttpConnection &c) {
        c.respond(200, {"Content-Type: text/html", "Content-Encoding: gzip"}, gzipped);
    });

    const Fetched result = fetch(server.url("/gzip"));

    EXPECT_EQ(result.error, QString());
    EXPECT_EQ(result.page, gzipped);
}

TEST_F(PageFetcherBody, ChunkedBodyIsJoined)
{
    server.handle("/chunked", [](HttpConnection &c) {
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n") &&
            c.sendChunk("<html>") && c.pause(20ms) && c.sendChunk("body") && c.pause(20ms) &&
            c.sendChunk("</html>") && c.endChunks();
    });

    const Fetched result = fetch(server.url("/chunked"));

    EXPECT_EQ(result.note, QString());
    EXPECT_EQ(result.page, QByteArray("<html>body</html>"));
}

// --- Status and redirects --------------------------------------------------------------------

using PageFetcherStatus = PageFetcherTest;

TEST_F(PageFetcherStatus, ErrorStatusStillReturnsItsPageWithTheCodeAsNote)
{
    server.handle("/missing", [](HttpConnection &c) {
        c.respond(404, {"Content-Type: text/html"}, "<html>not here</html>");
    });
    server.handle("/broken", [](HttpConnection &c) {
        c.respond(500, {"Content-Type: text/html"}, "<html>oops</html>");
    });

    const Fetched missing = fetch(server.url("/missing"));
    const Fetched broken = fetch(server.url("/broken"));

    EXPECT_EQ(missing.error, QString());
    EXPECT_EQ(missing.note, QStringLiteral("HTTP 404"));
    EXPECT_EQ(missing.page, QByteArray("<html>not here</html>"));
    EXPECT_EQ(broken.note, QStringLiteral("HTTP 500"));
    EXPECT_EQ(broken.page, QByteArray("<html>oops</html>"));
}

TEST_F(PageFetcherStatus, RedirectIsFollowedAndTheFinalResponseDecides)
{
    server.handle("/old", [](HttpConnection &c) { c.respond(302, {"Location: /new"}, "moved"); });
    server.handle("/new", [](HttpConnection &c) { c.respond(200, {}, "the new page"); });
    server.handle("/old-gone",
                  [](HttpConnection &c) { c.respond(301, {"Location: /gone"}, "moved"); });
    server.handle("/gone", [](HttpConnection &c) { c.respond(404, {}, "gone for good"); });

    const Fetched found = fetch(server.url("/old"));
    const Fetched gone = fetch(server.url("/old-gone"));

    EXPECT_EQ(found.error, QString());
    EXPECT_EQ(found.note, QString());
    EXPECT_EQ(found.page, QByteArray("the new page"));
    EXPECT_EQ(gone.note, QStringLiteral("HTTP 404"));
    EXPECT_EQ(gone.page, QByteArray("gone for good"));

    const QList<QByteArray> heads = server.requestHeads();
    ASSERT_EQ(heads.size(), 4);
    EXPECT_TRUE(heads[1].startsWith("GET /new HTTP/1.1\r\n")) << heads[1].constData();
    EXPECT_TRUE(heads[1].contains("\r\nREFERER: http://www.google.com\r\n"));
}

// --- No page at all --------------------------------------------------------------------------

using PageFetcherFailure = PageFetcherTest;

TEST_F(PageFetcherFailure, RedirectLoopEndsWithCannotOpen)
{
    server.handle("/loop", [](HttpConnection &c) { c.respond(302, {"Location: /loop"}, ""); });

    const Fetched result = fetch(server.url("/loop"));

    EXPECT_EQ(result.error, QString::fromLatin1(kCannotOpenUrl));
    EXPECT_TRUE(result.page.isEmpty());
    EXPECT_LE(server.connectionCount(), 12); // bounded, not endless
}

TEST_F(PageFetcherFailure, UnreachableServerCannotOpen)
{
    server.handle("/hang-up", [](HttpConnection &) {}); // reads the request, answers nothing

    const Fetched refused = fetch(test::closedPortUrl());
    const Fetched hungUp = fetch(server.url("/hang-up"));

    EXPECT_EQ(refused.error, QStringLiteral("Cannot open URL"));
    EXPECT_TRUE(refused.page.isEmpty());
    EXPECT_EQ(hungUp.error, QStringLiteral("Cannot open URL"));
    EXPECT_TRUE(hungUp.page.isEmpty());
}

TEST_F(PageFetcherFailure, AddressesThatAreNotHttpCannotOpen)
{
    server.handle("/to-file", [](HttpConnection &c) {
        c.respond(302, {"Location: file:///etc/hostname"}, "");
    });
    const QString port = QString::number(server.port());
    const QStringList addresses = {
        QString(),
        QStringLiteral("not an address"),
        QStringLiteral("http://"),
        QStringLiteral("http://127.0.0.1:99999/"),
        QStringLiteral("127.0.0.1:") + port + QStringLiteral("/"), // no scheme: none is guessed
        QStringLiteral("file:///etc/hostname"),
        QStringLiteral("ftp://127.0.0.1:") + port + QStringLiteral("/"),
        QStringLiteral("gopher://127.0.0.1:") + port + QStringLiteral("/"),
        server.url("/to-file"), // a redirect may not lead out of http either
    };
    for (const QString &address : addresses) {
        const Fetched result = fetch(address);

        EXPECT_EQ(result.error, QStringLiteral("Cannot open URL")) << address.toStdString();
        EXPECT_TRUE(result.page.isEmpty()) << address.toStdString();
    }
    // Only the redirect reached the server; the foreign schemes never spoke to it.
    EXPECT_EQ(server.requestHeads().size(), 1);
}

// --- Time-out --------------------------------------------------------------------------------

using PageFetcherTimeOut = PageFetcherTest;

TEST_F(PageFetcherTimeOut, StalledBodyTimesOutKeepingWhatArrived)
{
    const QByteArray start = patternBytes(300);
    server.handle("/stall", [start](HttpConnection &c) {
        c.send(okHead(10000)) && c.send(start);
        c.stall();
    });

    const Fetched result = fetch(server.url("/stall"), 500);

    EXPECT_EQ(result.error, QString());
    EXPECT_EQ(result.note, QStringLiteral("Timed out"));
    EXPECT_EQ(result.page, start);
    EXPECT_GE(result.elapsed, 450ms);
    EXPECT_LT(result.elapsed, testing::timeBound(500ms));
}

TEST_F(PageFetcherTimeOut, TimeOutBoundsTheWholeFetchNotEachRead)
{
    // A byte every 50 ms never leaves the connection idle for long, yet the page takes forever.
    server.handle("/trickle", [](HttpConnection &c) {
        if (!c.send(okHead(100000))) {
            return;
        }
        while (c.send("x") && c.pause(50ms)) {
        }
    });

    const Fetched result = fetch(server.url("/trickle"), 600);

    EXPECT_EQ(result.note, QStringLiteral("Timed out"));
    EXPECT_FALSE(result.page.isEmpty());
    EXPECT_TRUE(result.page.count('x') == result.page.size());
    EXPECT_GE(result.elapsed, 540ms);
    EXPECT_LT(result.elapsed, testing::timeBound(600ms));
}

TEST_F(PageFetcherTimeOut, SilentOrUnreachableServerTimesOutWithEmptyPage)
{
    server.handle("/silent", [](HttpConnection &c) { c.stall(); });
    test::FullBacklogListener neverConnects;

    const Fetched silent = fetch(server.url("/silent"), 400);
    const Fetched connecting = fetch(neverConnects.url(), 400);

    EXPECT_EQ(silent.error, QString());
    EXPECT_EQ(silent.note, QStringLiteral("Timed out"));
    EXPECT_TRUE(silent.page.isEmpty());
    EXPECT_GE(silent.elapsed, 360ms);
    EXPECT_LT(silent.elapsed, testing::timeBound(400ms));

    EXPECT_EQ(connecting.error, QString());
    EXPECT_EQ(connecting.note, QStringLiteral("Timed out"));
    EXPECT_TRUE(connecting.page.isEmpty());
    EXPECT_GE(connecting.elapsed, 360ms);
    EXPECT_LT(connecting.elapsed, testing::timeBound(400ms));
}

TEST_F(PageFetcherTimeOut, ZeroMeansNoLimit)
{
    server.handle(
        "/slow", [](HttpConnection &c) { c.pause(300ms) && c.respond(200, {}, "worth the wait"); });

    const Fetched result = fetch(server.url("/slow"), 0);

    EXPECT_EQ(result.error, QString());
    EXPECT_EQ(result.note, QString());
    EXPECT_EQ(result.page, QByteArray("worth the wait"));
}

// --- Cut short -------------------------------------------------------------------------------

using PageFetcherIncomplete = PageFetcherTest;

TEST_F(PageFetcherIncomplete, ConnectionCutMidBodyKeepsWhatArrived)
{
    const QByteArray part = patternBytes(1200);
    server.handle("/short", [part](HttpConnection &c) {
        c.send(okHead(5000)) && c.send(part); // then the server closes
    });
    server.handle("/chunks-cut", [part](HttpConnection &c) {
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n") &&
            c.sendChunk(part);
    });
    server.handle("/reset", [part](HttpConnection &c) {
        // Pause first so the bytes are read before the reset discards what is unread.
        if (c.send(okHead(5000)) && c.send(part) && c.pause(150ms)) {
            c.closeAbruptly();
        }
    });

    for (const QByteArray &target :
         {QByteArray("/short"), QByteArray("/chunks-cut"), QByteArray("/reset")}) {
        const Fetched result = fetch(server.url(target));

        EXPECT_EQ(result.error, QString()) << target.constData();
        EXPECT_EQ(result.note, QStringLiteral("Download incomplete")) << target.constData();
        EXPECT_EQ(result.page, part) << target.constData();
    }
}

TEST_F(PageFetcherIncomplete, CutWinsOverErrorStatus)
{
    server.handle("/missing-cut", [](HttpConnection &c) {
        c.send("HTTP/1.1 404 Not Found\r\nContent-Length: 100\r\nConnection: close\r\n\r\n") &&
            c.send("<html>no");
    });

    const Fetched result = fetch(server.url("/missing-cut"));

    EXPECT_EQ(result.note, QStringLiteral("Download incomplete"));
    EXPECT_EQ(result.page, QByteArray("<html>no"));
}

// --- Size cap --------------------------------------------------------------------------------

using PageFetcherSizeCap = PageFetcherTest;

TEST_F(PageFetcherSizeCap, EndlessBodyIsCutAtTheCap)
{
    const QByteArray chunk = patternBytes(65536 + 17); // not a divisor of the cap
    auto streamed = std::make_shared<std::atomic<qint64>>(-1);
    server.handle("/endless", [chunk, streamed](HttpConnection &c) {
        if (c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n")) {
            streamed->store(c.streamEndlessly(chunk));
        }
    });

    const Fetched result = fetch(server.url("/endless"));

    EXPECT_EQ(result.error, QString());
    EXPECT_EQ(result.note, QStringLiteral("Page too large"));
    ASSERT_EQ(result.page.size(), kMaxPageBytes);
    EXPECT_EQ(result.page.first(chunk.size()), chunk);
    const qsizetype lastStart = (kMaxPageBytes / chunk.size()) * chunk.size();
    EXPECT_EQ(result.page.sliced(lastStart), chunk.first(kMaxPageBytes - lastStart));
    // The fetch hung up: the server's stream ended soon after.
    const auto deadline = Clock::now() + testing::kGiveUp;
    while (streamed->load() < 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_GE(streamed->load(), kMaxPageBytes);
}

TEST_F(PageFetcherSizeCap, PageOfExactlyTheCapIsWhole)
{
    const QByteArray body = patternBytes(kMaxPageBytes);
    server.handle("/full", [body](HttpConnection &c) { c.respond(200, {}, body); });

    const Fetched result = fetch(server.url("/full"));

    EXPECT_EQ(result.note, QString());
    EXPECT_TRUE(result.page == body);
}

// --- HTTPS -----------------------------------------------------------------------------------

using PageFetcherTls = PageFetcherTest;

TEST_F(PageFetcherTls, UntrustedCertificateCannotOpen)
{
    ASSERT_TRUE(tls::sharedStoreEnabled());
    TestHttpServer selfSigned(test::makeSelfSignedIdentity());
    selfSigned.handle("/", [](HttpConnection &c) { c.respond(200, {}, "secret"); });

    const Fetched result = fetch(selfSigned.url("/"));

    EXPECT_EQ(result.error, QStringLiteral("Cannot open URL"));
    EXPECT_TRUE(result.page.isEmpty());
    EXPECT_TRUE(selfSigned.requestHeads().isEmpty());
}

// Writes the CA certificate where tls::setCaBundleFile can be pointed at it.
QString writeBundle(const QTemporaryDir &directory, const QByteArray &pem)
{
    QString path = directory.filePath(QStringLiteral("ca.pem"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pem) != pem.size()) {
        return QString();
    }
    return path;
}

TEST_F(PageFetcherTls, TrustedTestCaVerifiesWithAndWithoutTheSharedStore)
{
    const test::TestCertificates certificates = test::makeCaSignedCertificates();
    TestHttpServer secure(certificates.server);
    secure.handle("/", [](HttpConnection &c) { c.respond(200, {}, "secure page"); });
    QTemporaryDir directory;
    const QString bundle = writeBundle(directory, certificates.caCertificatePem);
    ASSERT_FALSE(bundle.isEmpty());

    // Signed by a CA the system does not know: refused.
    const Fetched untrusted = fetch(secure.url("/"));
    EXPECT_EQ(untrusted.error, QStringLiteral("Cannot open URL"));

    tls::setCaBundleFile(bundle);
    for (int i = 0; i < 2; ++i) { // the second fetch takes the store already loaded
        const Fetched shared = fetch(secure.url("/"));
        EXPECT_EQ(shared.error, QString()) << "fetch " << i;
        EXPECT_EQ(shared.page, QByteArray("secure page")) << "fetch " << i;
    }

    tls::setSharedStoreEnabled(false);
    const Fetched ownLoad = fetch(secure.url("/"));
    EXPECT_EQ(ownLoad.error, QString());
    EXPECT_EQ(ownLoad.page, QByteArray("secure page"));

    // Back to the system's bundle: the shared store follows.
    tls::setSharedStoreEnabled(true);
    tls::setCaBundleFile(QString());
    const Fetched again = fetch(secure.url("/"));
    EXPECT_EQ(again.error, QStringLiteral("Cannot open URL"));
}

TEST_F(PageFetcherTls, CertificateForAnotherHostCannotOpen)
{
    const test::TestCertificates certificates =
        test::makeCaSignedCertificates("DNS:other.example,IP:192.0.2.1");
    TestHttpServer secure(certificates.server);
    secure.handle("/", [](HttpConnection &c) { c.respond(200, {}, "secure page"); });
    QTemporaryDir directory;
    const QString bundle = writeBundle(directory, certificates.caCertificatePem);
    ASSERT_FALSE(bundle.isEmpty());
    tls::setCaBundleFile(bundle);

    for (const bool shared : {true, false}) {
        tls::setSharedStoreEnabled(shared);
        const Fetched result = fetch(secure.url("/"));

        EXPECT_EQ(result.error, QStringLiteral("Cannot open URL")) << "shared " << shared;
    }
    EXPECT_TRUE(secure.requestHeads().isEmpty());
}

// --- Proxy ---------------------------------------------------------------------------------

// The proxy variables are read by curl per fetch; each test restores them.
class PageFetcherProxy : public PageFetcherTest
{
protected:
    void TearDown() override
    {
        unsetenv("http_proxy");
        unsetenv("https_proxy");
        PageFetcherTest::TearDown();
    }
};

TEST_F(PageFetcherProxy, ProxyFromTheEnvironmentIsUsed)
{
    // 127.0.0.2 is loopback too, but not in no_proxy; the port is never contacted.
    server.handle("http://127.0.0.2:9/page",
                  [](HttpConnection &c) { c.respond(200, {}, "via the proxy"); });
    setenv("http_proxy", server.url("").toLatin1().constData(), 1);

    const Fetched result = fetch(QStringLiteral("http://127.0.0.2:9/page"));

    EXPECT_EQ(result.error, QString());
    EXPECT_EQ(result.page, QByteArray("via the proxy"));
    ASSERT_EQ(server.requestHeads().size(), 1);
    EXPECT_TRUE(
        server.requestHeads().first().startsWith("GET http://127.0.0.2:9/page HTTP/1.1\r\n"));
}

TEST_F(PageFetcherProxy, TunnelThatFailsAfterTheProxyAnsweredCannotOpen)
{
    // The proxy accepts the tunnel, then hangs up before any TLS: no page arrived.
    server.handle("127.0.0.2:9",
                  [](HttpConnection &c) { c.send("HTTP/1.1 200 Connection established\r\n\r\n"); });
    setenv("https_proxy", server.url("").toLatin1().constData(), 1);

    const Fetched result = fetch(QStringLiteral("https://127.0.0.2:9/"));

    EXPECT_EQ(result.error, QStringLiteral("Cannot open URL"));
    ASSERT_EQ(server.requestHeads().size(), 1);
    EXPECT_TRUE(server.requestHeads().first().startsWith("CONNECT 127.0.0.2:9 HTTP/1.1\r\n"));
}

// --- Abort -----------------------------------------------------------------------------------

using PageFetcherAbort = PageFetcherTest;

// Those beyond the site's limit wait for a slot: the abort ends them too.
TEST_F(PageFetcherAbort, AbortEndsRunningFetchesAtOnceAndLaterOnesImmediately)
{
    constexpr int kFetches = 50;
    constexpr int kSiteLimit = 6;
    SiteGate::shared().setLimit(kSiteLimit);
    server.handle("/stall", [](HttpConnection &c) {
        c.send(okHead(1000)) && c.send("partial");
        c.stall();
    });
    std::atomic<int> finished{0};
    std::atomic<int> failedOrCut{0};
    std::vector<std::thread> threads;
    threads.reserve(kFetches);
    for (int i = 0; i < kFetches; ++i) {
        threads.emplace_back([&] {
            const Fetched result = fetch(server.url("/stall"), 0);
            if (!result.error.isEmpty() || !result.note.isEmpty()) {
                ++failedOrCut;
            }
            ++finished;
        });
    }
    const auto allStarted = Clock::now() + testing::kGiveUp;
    while (server.requestHeads().size() < kSiteLimit && Clock::now() < allStarted) {
        std::this_thread::sleep_for(5ms);
    }
    // The others wait at the gate, or reach it after the abort and fail there: both must end.
    ASSERT_EQ(server.requestHeads().size(), kSiteLimit);
    EXPECT_EQ(finished.load(), 0);

    abortAllDownloads();
    for (std::thread &thread : threads) {
        thread.join();
    }
    // Without a time-out, nothing but the abort ends these fetches: that they end is the proof.
    EXPECT_EQ(failedOrCut.load(), kFetches);

    // A later fetch fails without reaching the server (which would stall it for ever).
    const Fetched after = fetch(server.url("/stall"), 0);
    EXPECT_EQ(after.error, QStringLiteral("Cannot open URL"));
    EXPECT_EQ(server.requestHeads().size(), kSiteLimit);

    resetDownloadAbort();
    server.handle("/fine", [](HttpConnection &c) { c.respond(200, {}, "fine"); });
    EXPECT_EQ(fetch(server.url("/fine")).page, QByteArray("fine"));
}

// --- Many at once ----------------------------------------------------------------------------

using PageFetcherConcurrency = PageFetcherTest;

TEST_F(PageFetcherConcurrency, ConcurrentFetchesEachGetTheirOwnPage)
{
    constexpr int kFetches = 100;
    auto pageFor = [](int i) -> QByteArray {
        return "page " + QByteArray::number(i) + ' ' +
               QByteArray(i * 97 % 5000, char('a' + i % 26));
    };
    for (int i = 0; i < kFetches; ++i) {
        server.handle("/p" + QByteArray::number(i), [i, pageFor](HttpConnection &c) {
            c.pause(20ms) &&
                c.sendInPieces(QByteArray(okHead(pageFor(i).size()) + pageFor(i)), {100, 900});
        });
    }
    std::vector<Fetched> results(kFetches);
    std::vector<std::thread> threads;
    threads.reserve(kFetches);
    for (int i = 0; i < kFetches; ++i) {
        threads.emplace_back(
            [&, i] { results[i] = fetch(server.url("/p" + QByteArray::number(i))); });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }

    for (int i = 0; i < kFetches; ++i) {
        EXPECT_EQ(results[i].error, QString()) << "fetch " << i;
        EXPECT_EQ(results[i].note, QString()) << "fetch " << i;
        EXPECT_TRUE(results[i].page == pageFor(i)) << "fetch " << i;
    }
}

// --- Politely: retries, Retry-After and bot walls --------------------------------------------

// How the server answers one request: a status with one more header line and a body, or a fault.
struct Answer
{
    enum Fault { None, Reset, CutOff, Stall };
    int status = 200;
    const char *header = nullptr; // "Retry-After: <date>" is sent with the date 2 s ahead
    const char *body = "<p>the page</p>";
    Fault fault = None;
};
const Answer kPage;
const Answer kReset{0, nullptr, "", Answer::Reset};
const Answer kCutOff{200, nullptr, "", Answer::CutOff};
Answer status(int code, const char *header = nullptr, const char *body = "error")
{
    return {code, header, body};
}

struct PoliteCase
{
    const char *name;
    std::vector<Answer> answers; // the n-th request gets the n-th answer
    const char *outcome;         // the note, or the error when no page arrived ("" for a page)
    int requests;
    std::chrono::milliseconds gap{0}; // at least this between the first two requests
};

void serve(HttpConnection &c, const Answer &answer)
{
    QList<QByteArray> headers;
    if (answer.header != nullptr) {
        QByteArray header = answer.header;
        QByteArray date = QLocale::c()
                              .toString(QDateTime::currentDateTimeUtc().addSecs(2),
                                        QStringLiteral("ddd, dd MMM yyyy hh:mm:ss"))
                              .toLatin1();
        date += " GMT";
        header.replace("<date>", date);
        headers << header;
    }
    switch (answer.fault) {
    case Answer::None:
        c.respond(answer.status, headers, answer.body);
        return;
    case Answer::Reset:
        c.closeAbruptly();
        return;
    case Answer::CutOff:
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nhalf");
        c.closeAbruptly();
        return;
    case Answer::Stall:
        c.stall();
        return;
    }
}

class PoliteFetch : public PageFetcherTest, public ::testing::WithParamInterface<PoliteCase>
{};

TEST_P(PoliteFetch, TriesAgainOnlyWhatMayPassAndKnowsABotWall)
{
    const PoliteCase &row = GetParam();
    auto served = std::make_shared<std::atomic<int>>(0);
    server.handle("/", [served, answers = row.answers](HttpConnection &c) {
        serve(c, answers[std::min<std::size_t>(served->fetch_add(1), answers.size() - 1)]);
    });
    FetchedPage page;
    QString error;
    // Short only where the time-out is what the row is about.
    const int timeOutMs = row.outcome == QLatin1String("Timed out") ? 1500 : 60000;
    try {
        page = fetchPolitely(server.url(), timeOutMs);
    } catch (const DownloadError &failure) {
        error = QString::fromUtf8(failure.what());
    }
    EXPECT_EQ(error.isEmpty() ? page.note : error, QLatin1String(row.outcome));
    const bool wall = row.outcome == QLatin1String(kBlockedByBotCheck);
    EXPECT_EQ(page.botWall, wall);
    if (wall) {
        EXPECT_EQ(page.body, QByteArray()); // the wall's page is not the page
    } else if (*row.outcome == '\0') {
        EXPECT_EQ(page.body, QByteArray(row.answers.back().body));
    }
    const auto arrivals = server.arrivals();
    ASSERT_EQ(int(arrivals.size()), row.requests);
    if (row.requests > 1) {
        EXPECT_GE(arrivals[1].at - arrivals[0].at, row.gap);
    }
}

const char *const kWall = kBlockedByBotCheck;
Answer blocked(const char *body, int code = 403)
{
    return {code, nullptr, body};
}

const PoliteCase kPoliteCases[] = {
    {"RetryAfterSeconds", {status(429, "Retry-After: 1"), kPage}, "", 2, 1s},
    {"RetryAfterDate", {status(503, "Retry-After: <date>"), kPage}, "", 2, 1s},
    {"RetryAfterTwiceAtMost", {status(429, "Retry-After: 0")}, "HTTP 429", 3},
    {"RetryAfterTooLong", {status(429, "Retry-After: 61"), kPage}, "HTTP 429", 1},
    {"ThrottledWithoutRetryAfter", {status(429), kPage}, "", 2, 2s},
    {"ThrottledTwice", {status(503), status(503), kPage}, "HTTP 503", 2, 2s},
    {"BadGatewayPasses", {status(502), kPage}, "", 2, 1s},
    {"GatewayTimeoutTwice", {status(504)}, "HTTP 504", 2, 1s},
    {"CutOffPasses", {kCutOff, kPage}, "", 2, 1s},
    {"CutOffTwice", {kCutOff}, "Download incomplete", 2, 1s},
    {"ResetTwice", {kReset}, "Cannot open URL", 2, 1s},
    {"TimedOutIsFinal", {{200, nullptr, "", Answer::Stall}, kPage}, "Timed out", 1},
    {"ServerErrorIsFinal", {status(500), kPage}, "HTTP 500", 1},
    {"PlainForbidden", {blocked("<h1>Forbidden</h1>")}, "HTTP 403", 1},
    {"ChallengeHeader", {status(403, "cf-mitigated: challenge")}, kWall, 1},
    {"ChallengeIsNotRetried", {status(503, "Retry-After: 0", "Just a moment...")}, kWall, 1},
    {"CloudflarePlatform", {blocked("/cdn-cgi/challenge-platform/h/b/orchestrate")}, kWall, 1},
    {"CloudflareBlock", {blocked("<title>Attention Required! | Cloudflare")}, kWall, 1},
    {"AccessDeniedAlone", {blocked("<H1>Access Denied</H1> Reference&#32;#18")}, "HTTP 403", 1},
    {"AkamaiReference", {blocked("<H1>Access Denied</H1> Reference #18.5f3e")}, kWall, 1},
    {"Imperva", {blocked("/_Incapsula_Resource?SWJIYLWA")}, kWall, 1},
    {"DataDome", {blocked("//geo.captcha-delivery.com/c")}, kWall, 1},
    {"Sucuri", {blocked("Sucuri WebSite Firewall - Access Denied")}, kWall, 1},
    {"AwsWaf", {blocked("aws-waf-token", 429)}, kWall, 1},
    {"PerimeterX", {blocked("<div id=\"px-captcha\">")}, kWall, 1},
    {"CaptchaTalkOnAPage", {status(200, nullptr, "px-captcha: Just a moment...")}, "", 1},
};
INSTANTIATE_TEST_SUITE_P(Table, PoliteFetch, ::testing::ValuesIn(kPoliteCases), testing::caseName);

} // namespace
} // namespace orvane
