#include "SocketConnection.h"

#include <QFile>
#include <atomic>
#include <com/sun/star/io/IOException.hpp>
#include <cppuhelper/implbase1.hxx>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace css::uno;

namespace {
class SocketConnection : public cppu::WeakImplHelper1<css::connection::XConnection> {
public:
    explicit SocketConnection(int fd) : fd_(fd) {}
    // Closed here, not in close(): the bridge's reader may still be blocked on the descriptor, which
    // must not be reused under it.
    ~SocketConnection() override { ::close(fd_); }

    // The bridge asks for exactly the bytes it needs; fewer come back only at the end of the stream.
    sal_Int32 SAL_CALL read(Sequence<sal_Int8>& bytes, sal_Int32 wanted) override {
        if (wanted < 0) wanted = 0;
        bytes.realloc(wanted);
        sal_Int32 got = 0;
        while (got < wanted) {
            const ssize_t n = ::recv(fd_, bytes.getArray() + got, size_t(wanted - got), 0);
            if (n > 0) {
                got += sal_Int32(n);
            } else if (n == 0 || closed_) {
                break;
            } else if (errno != EINTR) {
                throw css::io::IOException(rtl::OUString::createFromAscii(std::strerror(errno)));
            }
        }
        bytes.realloc(got);
        return got;
    }

    void SAL_CALL write(const Sequence<sal_Int8>& bytes) override {
        const sal_Int8* data = bytes.getConstArray();
        size_t left = size_t(bytes.getLength());
        while (left > 0) {
            const ssize_t n = ::send(fd_, data, left, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw css::io::IOException(rtl::OUString::createFromAscii(std::strerror(errno)));
            data += n;
            left -= size_t(n);
        }
    }

    void SAL_CALL flush() override {}

    // Wakes a blocked reader, which then sees the end of the stream.
    void SAL_CALL close() override {
        if (!closed_.exchange(true)) ::shutdown(fd_, SHUT_RDWR);
    }

    rtl::OUString SAL_CALL getDescription() override { return "sandboxed-pipe"; }

private:
    const int fd_;
    std::atomic<bool> closed_{false};
};
}  // namespace

Reference<css::connection::XConnection> ConnectToSocket(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= qsizetype(sizeof address.sun_path)) return nullptr;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    // The office makes the socket in its own folder: a link it put there instead is not followed.
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != ::getuid()) return nullptr;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return nullptr;
    }
    return new SocketConnection(fd);
}
