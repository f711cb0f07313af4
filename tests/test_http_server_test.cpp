#include "support/test_http_server.h"
#include "support/wait.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

int connectTo(quint16 port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    return fd;
}

// Other tests rely on this: a test that fails half-way must not hang in the server's destructor.
TEST(TestHttpServer, StopsPromptlyWhileClientsHang)
{
    std::optional<TestHttpServer> server(std::in_place);
    server->handle("/stall", [](HttpConnection &c) { c.stall(); });
    server->handle("/endless", [](HttpConnection &c) {
        c.send("HTTP/1.1 200 OK\r\n\r\n") && c.streamEndlessly(QByteArray(4096, 'x')) >= 0;
    });
    const int silent = connectTo(server->port()); // never sends a request
    const int stalled = connectTo(server->port());
    const int notReading = connectTo(server->port()); // lets the server's writes block
    const char stallRequest[] = "GET /stall HTTP/1.1\r\nHost: x\r\n\r\n";
    const char endlessRequest[] = "GET /endless HTTP/1.1\r\nHost: x\r\n\r\n";
    ASSERT_GT(send(stalled, stallRequest, sizeof stallRequest - 1, 0), 0);
    ASSERT_GT(send(notReading, endlessRequest, sizeof endlessRequest - 1, 0), 0);
    const auto deadline = std::chrono::steady_clock::now() + orvane::testing::kGiveUp;
    while (server->requestHeads().size() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(server->requestHeads().size(), 2);
    // The endless writer is writing (and soon blocked: nobody reads).
    int queued = 0;
    while ((ioctl(notReading, FIONREAD, &queued) != 0 || queued == 0) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_GT(queued, 0);

    // A server that waited for its clients would keep the test waiting until its time-out.
    server.reset();

    for (int fd : {silent, stalled, notReading}) {
        close(fd);
    }
}

} // namespace
} // namespace orvane::test
