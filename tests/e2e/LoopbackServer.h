#pragma once
// An HTTP server on 127.0.0.1 that answers every request with the same body and records each request
// line, so a test can tell whether a program reached out. It runs in a thread of its own with plain
// sockets, because the tests block in QProcess::waitForFinished and run no event loop.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

class LoopbackServer {
public:
    // Serves until destroyed, but never more than maxConnections or lifetime, whichever ends first.
    explicit LoopbackServer(QByteArray body, QByteArray contentType = "image/png", int maxConnections = 1000,
                            std::chrono::seconds lifetime = std::chrono::minutes(15))
        : body_(std::move(body)), contentType_(std::move(contentType)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;  // the kernel picks a free port
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            if (listener_ >= 0) ::close(listener_);
            listener_ = -1;
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, maxConnections, lifetime] { serve(maxConnections, lifetime); });
    }
    ~LoopbackServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (listener_ >= 0) ::close(listener_);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool listening() const { return listener_ >= 0; }
    quint16 port() const { return port_; }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path.startsWith(QLatin1Char('/')) ? path.mid(1) : path);
    }
    // Request lines as received, e.g. "GET /x.png HTTP/1.1".
    QStringList requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    // The paths of those requests, e.g. "/x.png".
    QStringList paths() const {
        QStringList out;
        for (const QString& line : requests()) out.append(line.section(QLatin1Char(' '), 1, 1));
        return out;
    }

private:
    static constexpr int SliceMs = 100;  // how soon the thread notices the stop flag

    void serve(int maxConnections, std::chrono::seconds lifetime) {
        const auto end = std::chrono::steady_clock::now() + lifetime;
        for (int served = 0; !stop_ && served < maxConnections && std::chrono::steady_clock::now() < end;) {
            pollfd listener{listener_, POLLIN, 0};
            if (::poll(&listener, 1, SliceMs) <= 0) continue;
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            ++served;
            answer(connection);
            ::close(connection);
        }
    }

    // Reads the request within a few seconds, records its first line and answers it.
    void answer(int connection) {
        QByteArray request;
        qsizetype headerEnd = -1;
        qint64 expected = -1;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!stop_ && std::chrono::steady_clock::now() < deadline && request.size() < (1 << 20)) {
            if (headerEnd >= 0 && request.size() >= headerEnd + 4 + expected) break;
            pollfd peer{connection, POLLIN, 0};
            if (::poll(&peer, 1, SliceMs) <= 0) continue;
            char buffer[4096];
            const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            request.append(buffer, got);
            if (headerEnd < 0 && (headerEnd = request.indexOf("\r\n\r\n")) >= 0) {
                // Drain a request body (PROPFIND has one), so closing does not reset the connection.
                expected = 0;
                for (const QByteArray& line : request.left(headerEnd).split('\n'))
                    if (line.trimmed().toLower().startsWith("content-length:"))
                        expected = line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
            }
        }
        const QByteArray line = request.left(request.indexOf("\r\n")).trimmed();
        if (line.isEmpty()) return;
        {
            std::lock_guard lock(mutex_);
            requests_.append(QString::fromLatin1(line));
        }
        QByteArray response = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType_ +
                              "\r\nContent-Length: " + QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n";
        if (!line.startsWith("HEAD ")) response += body_;
        for (qsizetype sent = 0; sent < response.size();) {
            const ssize_t n = ::send(connection, response.constData() + sent, size_t(response.size() - sent), MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += n;
        }
        ::shutdown(connection, SHUT_WR);
    }

    const QByteArray body_, contentType_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic_bool stop_{false};
    mutable std::mutex mutex_;
    QStringList requests_;
    std::thread thread_;
};
