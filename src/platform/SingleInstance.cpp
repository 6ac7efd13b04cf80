#include "platform/SingleInstance.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>

namespace zenko::platform {

SingleInstance::SingleInstance(const QString& name) {
    // The leading NUL puts the address in the abstract namespace. A name too long for
    // sun_path is cut to fit; the program only ever uses a short fixed name.
    const QByteArray address = QByteArray(1, '\0') + "zenko-single-instance-" + name.toUtf8();
    sockaddr_un socketAddress{};
    socketAddress.sun_family = AF_UNIX;
    const std::size_t length =
        std::min(static_cast<std::size_t>(address.size()), sizeof socketAddress.sun_path);
    std::memcpy(socketAddress.sun_path, address.constData(), length);

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    // Abstract names are counted bytes, not NUL-terminated: the length must be exact or the
    // trailing zeros of sun_path become part of the name.
    const auto addressLength = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&socketAddress), addressLength) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

SingleInstance::~SingleInstance() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

} // namespace zenko::platform
