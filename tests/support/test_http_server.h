#pragma once

// A scriptable HTTP/1.1 server on 127.0.0.1 for tests: one thread per connection, one request per
// connection, every request head recorded byte for byte. Optionally speaks TLS.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

typedef struct ssl_st SSL;

namespace orvane::test {

// A certificate and its private key, both PEM.
struct TlsIdentity
{
    QByteArray certificatePem;
    QByteArray privateKeyPem;
};

// The server side of one accepted connection, handed to a handler after the request head was
// read. Every wait in here ends when the server stops, so a handler built from these calls never
// keeps the server's destructor waiting. Calls return false once the client has gone (or the
// server stops).
class HttpConnection
{
public:
    // The request head exactly as received, from the request line to the blank line included.
    const QByteArray &requestHead() const { return m_head; }
    // The request target of the request line ("/path?query").
    const QByteArray &target() const { return m_target; }

    bool send(QByteArrayView bytes);
    // Sends the bytes as separate writes of the given sizes (the rest, if any, as one more write),
    // pausing between writes so that each reaches the client on its own.
    bool sendInPieces(QByteArrayView bytes, const QList<qsizetype> &sizes,
                      std::chrono::milliseconds gap = std::chrono::milliseconds(15));
    // Status line, the given header lines (without CR LF), Content-Length, "Connection: close",
    // then the body.
    bool respond(int status, const QList<QByteArray> &headers, QByteArrayView body);
    // One chunk of a chunked body; endChunks() sends the last, empty one.
    bool sendChunk(QByteArrayView bytes);
    bool endChunks();
    // Sleeps; false if the server stops meanwhile.
    bool pause(std::chrono::milliseconds duration);
    // Waits until the client closes the connection (or the server stops), sending nothing.
    void stall();
    // Sends the chunk again and again until the client goes away (or the server stops); returns
    // the number of bytes the client took.
    qint64 streamEndlessly(QByteArrayView chunk);
    // Resets the connection (RST), as a crashed server or a cut line would.
    void closeAbruptly();

    // `onAnswer` runs once: when the handler first writes, or when it returns without writing.
    HttpConnection(int socket, int stopFd, SSL *ssl, std::function<void()> onAnswer = {});
    ~HttpConnection();
    HttpConnection(const HttpConnection &) = delete;
    HttpConnection &operator=(const HttpConnection &) = delete;

    // Used by the server around the handler.
    bool handshake();
    bool readHead();
    void closeGracefully();
    void answered();

private:
    enum class Wait { Ready, TimedOut, Stopped, Failed };
    Wait waitFor(short events, int timeoutMs = -1);
    bool writeAll(QByteArrayView bytes);

    int m_socket;
    int m_stopFd;
    SSL *m_ssl;
    QByteArray m_head;
    QByteArray m_target;
    std::function<void()> m_onAnswer;
};

using HttpHandler = std::function<void(HttpConnection &)>;

class TestHttpServer
{
public:
    // Plain HTTP.
    TestHttpServer();
    // HTTPS with this certificate.
    explicit TestHttpServer(const TlsIdentity &identity);
    // Stops accepting, wakes every connection and joins every thread.
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer &) = delete;
    TestHttpServer &operator=(const TestHttpServer &) = delete;

    // The handler for requests whose target is exactly `target`. Others get a 404. Handlers run on
    // the server's threads, possibly until the server is destroyed: what they use must live as
    // long (capture by value).
    void handle(const QByteArray &target, HttpHandler handler);

    quint16 port() const;
    // "http://127.0.0.1:<port>" (or https) followed by the target.
    QString url(const QByteArray &target = QByteArrayLiteral("/")) const;
    // Every request head received so far, in arrival order.
    QList<QByteArray> requestHeads() const;
    int connectionCount() const;
    // When each request arrived (its head read), in arrival order, with its target.
    struct Arrival
    {
        QByteArray target;
        std::chrono::steady_clock::time_point at;
    };
    std::vector<Arrival> arrivals() const;
    // The most requests this server held at once, each from its arrival until the server began
    // to answer it: a client that keeps N transfers open at once shows at most N here.
    int peakRequestsInHand() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// An http:// address on 127.0.0.1 where nothing listens, so connecting is refused.
QString closedPortUrl();

// A listener on 127.0.0.1 whose accept queue is kept full: the system drops new connection
// attempts, so a connect to url() never completes (until the client gives up).
class FullBacklogListener
{
public:
    FullBacklogListener();
    ~FullBacklogListener();
    FullBacklogListener(const FullBacklogListener &) = delete;
    FullBacklogListener &operator=(const FullBacklogListener &) = delete;

    QString url() const;

private:
    int m_listener = -1;
    quint16 m_port = 0;
    QList<int> m_fillers;
};

} // namespace orvane::test
