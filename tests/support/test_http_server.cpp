#include "support/test_http_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace orvane::test {

namespace {

constexpr qsizetype kMaxHeadBytes = qsizetype{64} * 1024;

void ignoreSigpipe()
{
    // OpenSSL writes with write(2): a client that hung up must not kill the test program.
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

void setNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// A socket bound to 127.0.0.1 on a port the system chose, listening if asked; -1 on failure.
int bindLoopback(quint16 &port, bool listening)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        (listening && listen(fd, 512) != 0) ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

// --- HttpConnection --------------------------------------------------------------------------

HttpConnection::HttpConnection(int socket, int stopFd, SSL *ssl, std::function<void()> onAnswer)
    : m_socket(socket), m_stopFd(stopFd), m_ssl(ssl), m_onAnswer(std::move(onAnswer))
{}

void HttpConnection::answered()
{
    if (m_onAnswer) {
        std::exchange(m_onAnswer, {})();
    }
}

HttpConnection::~HttpConnection()
{
    if (m_ssl != nullptr) {
        SSL_free(m_ssl);
    }
    if (m_socket >= 0) {
        close(m_socket);
    }
}

HttpConnection::Wait HttpConnection::waitFor(short events, int timeoutMs)
{
    if (m_socket < 0) {
        return Wait::Failed;
    }
    pollfd fds[2] = {{m_socket, events, 0}, {m_stopFd, POLLIN, 0}};
    for (;;) {
        const int ready = poll(fds, 2, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return Wait::Failed;
        }
        if (fds[1].revents != 0) {
            return Wait::Stopped;
        }
        if (ready == 0) {
            return Wait::TimedOut;
        }
        if ((fds[0].revents & (POLLERR | POLLNVAL)) != 0) {
            return Wait::Failed;
        }
        return Wait::Ready;
    }
}

bool HttpConnection::handshake()
{
    if (m_ssl == nullptr) {
        return true;
    }
    for (;;) {
        ERR_clear_error();
        const int result = SSL_accept(m_ssl);
        if (result == 1) {
            return true;
        }
        const int error = SSL_get_error(m_ssl, result);
        short events = 0;
        if (error == SSL_ERROR_WANT_READ) {
            events = POLLIN;
        } else if (error == SSL_ERROR_WANT_WRITE) {
            events = POLLOUT;
        } else {
            return false; // e.g. the client refused our certificate
        }
        if (waitFor(events) != Wait::Ready) {
            return false;
        }
    }
}

bool HttpConnection::readHead()
{
    char buffer[4096];
    while (!m_head.contains("\r\n\r\n")) {
        if (m_head.size() > kMaxHeadBytes) {
            return false;
        }
        qsizetype received = 0;
        if (m_ssl != nullptr) {
            ERR_clear_error();
            const int result = SSL_read(m_ssl, buffer, sizeof buffer);
            if (result <= 0) {
                const int error = SSL_get_error(m_ssl, result);
                const short events = error == SSL_ERROR_WANT_READ    ? POLLIN
                                     : error == SSL_ERROR_WANT_WRITE ? POLLOUT
                                                                     : 0;
                if (events == 0 || waitFor(events) != Wait::Ready) {
                    return false;
                }
                continue;
            }
            received = result;
        } else {
            const ssize_t result = recv(m_socket, buffer, sizeof buffer, 0);
            if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                if (waitFor(POLLIN) != Wait::Ready) {
                    return false;
                }
                continue;
            }
            if (result <= 0) {
                return false;
            }
            received = result;
        }
        m_head.append(buffer, received);
    }
    // Anything after the blank line would be a body; GET has none.
    m_head.truncate(m_head.indexOf("\r\n\r\n") + 4);
    const qsizetype firstSpace = m_head.indexOf(' ');
    const qsizetype secondSpace = m_head.indexOf(' ', firstSpace + 1);
    if (firstSpace > 0 && secondSpace > firstSpace) {
        m_target = m_head.mid(firstSpace + 1, secondSpace - firstSpace - 1);
    }
    return true;
}

bool HttpConnection::writeAll(QByteArrayView bytes)
{
    answered();
    qsizetype offset = 0;
    while (offset < bytes.size()) {
        if (m_socket < 0) {
            return false;
        }
        const qsizetype left = bytes.size() - offset;
        if (m_ssl != nullptr) {
            ERR_clear_error();
            const int result = SSL_write(m_ssl, bytes.data() + offset,
                                         static_cast<int>(std::min<qsizetype>(left, 1 << 20)));
            if (result <= 0) {
                const int error = SSL_get_error(m_ssl, result);
                const short events = error == SSL_ERROR_WANT_READ    ? POLLIN
                                     : error == SSL_ERROR_WANT_WRITE ? POLLOUT
                                                                     : 0;
                if (events == 0 || waitFor(events) != Wait::Ready) {
                    return false;
                }
                continue;
            }
            offset += result;
        } else {
            const ssize_t result =
                ::send(m_socket, bytes.data() + offset, static_cast<size_t>(left), MSG_NOSIGNAL);
            if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                if (waitFor(POLLOUT) != Wait::Ready) {
                    return false;
                }
                continue;
            }
            if (result < 0) {
                return false;
            }
            offset += result;
        }
    }
    return true;
}

bool HttpConnection::send(QByteArrayView bytes)
{
    return writeAll(bytes);
}

bool HttpConnection::sendInPieces(QByteArrayView bytes, const QList<qsizetype> &sizes,
                                  std::chrono::milliseconds gap)
{
    qsizetype offset = 0;
    for (const qsizetype size : sizes) {
        if (offset >= bytes.size()) {
            break;
        }
        if (offset > 0 && !pause(gap)) {
            return false;
        }
        const qsizetype take = std::min(size, bytes.size() - offset);
        if (!writeAll(bytes.sliced(offset, take))) {
            return false;
        }
        offset += take;
    }
    if (offset < bytes.size()) {
        if (offset > 0 && !pause(gap)) {
            return false;
        }
        return writeAll(bytes.sliced(offset));
    }
    return true;
}

bool HttpConnection::respond(int status, const QList<QByteArray> &headers, QByteArrayView body)
{
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    for (const QByteArray &line : headers) {
        head += line + "\r\n";
    }
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n";
    return writeAll(head) && writeAll(body);
}

bool HttpConnection::sendChunk(QByteArrayView bytes)
{
    if (bytes.isEmpty()) {
        return true; // an empty chunk would end the body
    }
    return writeAll(QByteArray(QByteArray::number(bytes.size(), 16) + "\r\n")) && writeAll(bytes) &&
           writeAll("\r\n");
}

bool HttpConnection::endChunks()
{
    return writeAll("0\r\n\r\n");
}

bool HttpConnection::pause(std::chrono::milliseconds duration)
{
    pollfd stop = {m_stopFd, POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + duration;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return true;
        }
        const int ready = poll(&stop, 1, static_cast<int>(left.count()));
        if (ready > 0) {
            return false;
        }
    }
}

void HttpConnection::stall()
{
    char buffer[1024];
    for (;;) {
        if (waitFor(POLLIN) != Wait::Ready) {
            return;
        }
        // The client sends nothing more; readable means it closed or reset.
        const ssize_t result = recv(m_socket, buffer, sizeof buffer, 0);
        if (result == 0 || (result < 0 && errno != EAGAIN && errno != EINTR)) {
            return;
        }
    }
}

qint64 HttpConnection::streamEndlessly(QByteArrayView chunk)
{
    qint64 sent = 0;
    while (writeAll(chunk)) {
        sent += chunk.size();
    }
    return sent;
}

void HttpConnection::closeAbruptly()
{
    if (m_socket < 0) {
        return;
    }
    linger option{1, 0};
    setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    if (m_ssl != nullptr) {
        SSL_free(m_ssl);
        m_ssl = nullptr;
    }
    close(m_socket);
    m_socket = -1;
}

void HttpConnection::closeGracefully()
{
    if (m_socket < 0) {
        return;
    }
    if (m_ssl != nullptr) {
        SSL_shutdown(m_ssl); // one try: the close_notify is sent, no waiting for the reply
    }
    shutdown(m_socket, SHUT_WR);
    // Wait (briefly) for the client to close first, so our close cannot reset unread data.
    char buffer[1024];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < deadline) {
        const Wait wait = waitFor(POLLIN, 50);
        if (wait == Wait::TimedOut) {
            continue;
        }
        if (wait != Wait::Ready) {
            break;
        }
        const ssize_t result = recv(m_socket, buffer, sizeof buffer, 0);
        if (result == 0 || (result < 0 && errno != EAGAIN && errno != EINTR)) {
            break;
        }
    }
}

// --- TestHttpServer --------------------------------------------------------------------------

struct TestHttpServer::State
{
    int listener = -1;
    int stopPipe[2] = {-1, -1};
    quint16 port = 0;
    SSL_CTX *tls = nullptr;
    std::thread acceptThread;

    mutable std::mutex mutex;
    std::map<QByteArray, HttpHandler> handlers;
    // Not a QList: a copy handed out would share its buffer with the next append on another thread.
    std::vector<QByteArray> heads;
    std::vector<Arrival> arrivals;
    int inHand = 0;
    int peakInHand = 0;
    int connections = 0;
    struct Worker
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    std::vector<Worker> workers;

    void start();
    void stop();
    void acceptLoop();
    void serve(int socket);
    void reapFinished();
};

void TestHttpServer::State::start()
{
    ignoreSigpipe();
    if (pipe2(stopPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("test server: pipe failed");
    }
    listener = bindLoopback(port, true);
    if (listener < 0) {
        throw std::runtime_error("test server: cannot listen on 127.0.0.1");
    }
    setNonBlocking(listener);
    acceptThread = std::thread([this] { acceptLoop(); });
}

void TestHttpServer::State::stop()
{
    if (stopPipe[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t written = write(stopPipe[1], &byte, 1);
    }
    if (acceptThread.joinable()) {
        acceptThread.join();
    }
    std::vector<Worker> remaining;
    {
        std::lock_guard lock(mutex);
        remaining.swap(workers);
    }
    for (Worker &worker : remaining) {
        worker.thread.join();
    }
    if (listener >= 0) {
        close(listener);
    }
    for (int fd : stopPipe) {
        if (fd >= 0) {
            close(fd);
        }
    }
    if (tls != nullptr) {
        SSL_CTX_free(tls);
    }
}

void TestHttpServer::State::reapFinished()
{
    std::vector<Worker> done;
    {
        std::lock_guard lock(mutex);
        for (auto it = workers.begin(); it != workers.end();) {
            if (it->finished->load()) {
                done.push_back(std::move(*it));
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (Worker &worker : done) {
        worker.thread.join();
    }
}

void TestHttpServer::State::acceptLoop()
{
    pollfd fds[2] = {{listener, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
    for (;;) {
        const int ready = poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || fds[1].revents != 0) {
            return;
        }
        const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            continue;
        }
        const int noDelay = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        reapFinished();
        auto finished = std::make_shared<std::atomic<bool>>(false);
        std::lock_guard lock(mutex);
        ++connections;
        workers.push_back({std::thread([this, client, finished] {
                               serve(client);
                               finished->store(true);
                           }),
                           finished});
    }
}

void TestHttpServer::State::serve(int socket)
{
    SSL *ssl = nullptr;
    if (tls != nullptr) {
        ssl = SSL_new(tls);
        if (ssl == nullptr) {
            close(socket);
            return;
        }
        SSL_set_fd(ssl, socket);
        SSL_set_mode(ssl, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    }
    HttpConnection connection(socket, stopPipe[0], ssl, [this] {
        std::lock_guard lock(mutex);
        --inHand;
    });
    if (!connection.handshake() || !connection.readHead()) {
        return;
    }
    HttpHandler handler;
    {
        std::lock_guard lock(mutex);
        heads.push_back(connection.requestHead());
        arrivals.push_back({connection.target(), std::chrono::steady_clock::now()});
        peakInHand = std::max(peakInHand, ++inHand);
        const auto found = handlers.find(connection.target());
        if (found != handlers.end()) {
            handler = found->second;
        }
    }
    if (handler) {
        handler(connection);
    } else {
        connection.respond(404, {"Content-Type: text/plain"}, "no handler for this path");
    }
    connection.answered();
    connection.closeGracefully();
}

TestHttpServer::TestHttpServer() : m_state(std::make_unique<State>())
{
    m_state->start();
}

TestHttpServer::TestHttpServer(const TlsIdentity &identity) : m_state(std::make_unique<State>())
{
    SSL_CTX *context = SSL_CTX_new(TLS_server_method());
    BIO *certificateBio = BIO_new_mem_buf(identity.certificatePem.constData(),
                                          static_cast<int>(identity.certificatePem.size()));
    BIO *keyBio = BIO_new_mem_buf(identity.privateKeyPem.constData(),
                                  static_cast<int>(identity.privateKeyPem.size()));
    X509 *certificate = PEM_read_bio_X509(certificateBio, nullptr, nullptr, nullptr);
    EVP_PKEY *key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
    const bool ok = context != nullptr && certificate != nullptr && key != nullptr &&
                    SSL_CTX_use_certificate(context, certificate) == 1 &&
                    SSL_CTX_use_PrivateKey(context, key) == 1;
    X509_free(certificate);
    EVP_PKEY_free(key);
    BIO_free(certificateBio);
    BIO_free(keyBio);
    if (!ok) {
        SSL_CTX_free(context);
        throw std::runtime_error("test server: unusable TLS identity");
    }
    m_state->tls = context;
    m_state->start();
}

TestHttpServer::~TestHttpServer()
{
    m_state->stop();
}

void TestHttpServer::handle(const QByteArray &target, HttpHandler handler)
{
    std::lock_guard lock(m_state->mutex);
    m_state->handlers[target] = std::move(handler);
}

quint16 TestHttpServer::port() const
{
    return m_state->port;
}

QString TestHttpServer::url(const QByteArray &target) const
{
    return (m_state->tls != nullptr ? QStringLiteral("https") : QStringLiteral("http")) +
           QStringLiteral("://127.0.0.1:") + QString::number(m_state->port) +
           QString::fromLatin1(target);
}

QList<QByteArray> TestHttpServer::requestHeads() const
{
    std::lock_guard lock(m_state->mutex);
    return QList<QByteArray>(m_state->heads.begin(), m_state->heads.end());
}

int TestHttpServer::connectionCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->connections;
}

std::vector<TestHttpServer::Arrival> TestHttpServer::arrivals() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->arrivals;
}

int TestHttpServer::peakRequestsInHand() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->peakInHand;
}

QString closedPortUrl()
{
    // Bound but not listening: connections are refused, and while the socket stays open (to the
    // end of the program) no other test, in this process or another, can be given the port.
    quint16 port = 0;
    const int fd = bindLoopback(port, false);
    if (fd < 0) {
        throw std::runtime_error("closedPortUrl: cannot bind");
    }
    return QStringLiteral("http://127.0.0.1:") + QString::number(port) + QStringLiteral("/");
}

FullBacklogListener::FullBacklogListener()
{
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    // Backlog 0: one connection fills the queue; nothing is ever accepted.
    if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        listen(m_listener, 0) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        throw std::runtime_error("FullBacklogListener: cannot listen");
    }
    m_port = ntohs(address.sin_port);
    for (int i = 0; i < 3; ++i) {
        const int filler = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (filler < 0) {
            throw std::runtime_error("FullBacklogListener: socket failed");
        }
        // Non-blocking: the connection stays in progress for good once the queue is full.
        if (connect(filler, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 &&
            errno != EINPROGRESS) {
            throw std::runtime_error("FullBacklogListener: connect failed");
        }
        m_fillers.append(filler);
    }
}

FullBacklogListener::~FullBacklogListener()
{
    for (int fd : m_fillers) {
        close(fd);
    }
    if (m_listener >= 0) {
        close(m_listener);
    }
}

QString FullBacklogListener::url() const
{
    return QStringLiteral("http://127.0.0.1:") + QString::number(m_port) + QStringLiteral("/");
}

} // namespace orvane::test
