// Set-value datagrams from 127.0.0.2 to both services of a controller on 127.0.0.1, at a fixed
// rate, for the benchmarks that measure what a flood of refused senders costs: a controller
// whose SetValue_Allow holds only 127.0.0.1 refuses every one of them. A blocking loop on the
// system's sockets, so that the flood costs its own process as little as it can and is paced
// against the clock rather than against an event loop. It ends after --seconds, after
// --count datagrams, or when its standard input closes, whichever comes first.

#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>

#include "BenchSupport.h"
#include "platform/Formats.h"
#include "setvalue-send/SetValueSendCommandLine.h"

using namespace zenko;
using Clock = std::chrono::steady_clock;

namespace {

sockaddr_in Address(std::uint32_t host, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(host);
    return address;
}

// Requests that would move the antenna if they were taken.
QByteArray Request(bool binary) {
    return binary ? setvaluesend::BuildBinaryRequest(200000, 0) : QByteArrayLiteral("flood,200,60");
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    long long binaryPort = 0;
    long long asciiPort = 0;
    long long rate = 40000;
    long long seconds = 60;
    long long count = 100000000;
    if (const std::optional<int> exit = bench::ReadOptions(
            "setvalue_flood",
            {{"--binary-port", &binaryPort, 0, 65535,
              "the binary service's port on 127.0.0.1, 0: none"},
             {"--ascii-port", &asciiPort, 0, 65535, "the ASCII service's port, 0: none"},
             {"--rate", &rate, 1, 200000, "datagrams a second, both services together"},
             {"--seconds", &seconds, 1, 900, "the longest it floods"},
             {"--count", &count, 1, 100000000, "the most datagrams it sends"}},
            QStringLiteral("Usage: setvalue_flood [options]\nSends set-value datagrams from "
                           "127.0.0.2 to a controller on 127.0.0.1 at a fixed rate."))) {
        return *exit;
    }
    if (binaryPort == 0 && asciiPort == 0) {
        bench::PrintError(QStringLiteral("setvalue_flood: no port to flood"));
        return 2;
    }

    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_in local = Address(INADDR_LOOPBACK + 1, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        bench::PrintError(QStringLiteral("setvalue_flood: cannot send from 127.0.0.2"));
        return 1;
    }
    struct Target {
        sockaddr_in address;
        QByteArray request;
    };
    std::vector<Target> targets;
    for (const auto& [port, binary] : {std::pair{binaryPort, true}, std::pair{asciiPort, false}}) {
        if (port != 0) {
            targets.push_back(
                {Address(INADDR_LOOPBACK, static_cast<std::uint16_t>(port)), Request(binary)});
        }
    }
    bench::PrintLine(QLatin1String("setvalue_flood: from 127.0.0.2 at ") +
                     platform::FormatInteger(rate) + QLatin1String("/s for at most ") +
                     platform::FormatInteger(seconds) + QLatin1String(" s"));

    long long sent = 0;
    long long refused = 0;
    const Clock::time_point start = Clock::now();
    const auto limit = std::chrono::seconds(seconds);
    bool inputOpen = true;
    for (Clock::time_point now = start; inputOpen && now - start < limit && sent + refused < count;
         now = Clock::now()) {
        const double elapsed = std::chrono::duration<double>(now - start).count();
        const long long due =
            std::min(count, static_cast<long long>(static_cast<double>(rate) * elapsed));
        while (sent + refused < due) {
            const Target& target =
                targets[static_cast<std::size_t>(sent + refused) % targets.size()];
            if (::sendto(fd, target.request.constData(),
                         static_cast<std::size_t>(target.request.size()), MSG_DONTWAIT,
                         reinterpret_cast<const sockaddr*>(&target.address),
                         sizeof target.address) == target.request.size()) {
                ++sent;
            } else {
                ++refused;
            }
        }
        // Paces the next batch and notices the parent leaving.
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (::poll(&input, 1, 1) > 0) {
            char buffer[64];
            inputOpen = ::read(STDIN_FILENO, buffer, sizeof buffer) > 0;
        }
    }
    ::close(fd);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    bench::PrintLine(
        QLatin1String("setvalue_flood: sent ") + platform::FormatInteger(sent) +
        QLatin1String(" datagrams in ") + bench::Fixed(elapsed, 1) + QLatin1String(" s (") +
        bench::Fixed(elapsed > 0 ? static_cast<double>(sent) / elapsed : 0, 0) +
        QLatin1String("/s), refused by the system ") + platform::FormatInteger(refused));
    return 0;
}
