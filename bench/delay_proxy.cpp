#include "delay_proxy.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <deque>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// How often a proxy with nothing to do looks whether it is being stopped.
constexpr auto StopCheck = std::chrono::milliseconds(20);

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// No Nagle delay on the proxy's own sockets: it must add exactly the delay it is asked for.
void noDelay(int socket) {
    const int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Bytes read from one side, waiting to be written to the other; an empty chunk is the close.
struct Chunk {
    Clock::time_point due;
    std::string bytes;
};

// One direction of a connection.
struct Direction {
    int from = -1;
    int to = -1;
    std::deque<Chunk> chunks;
    bool readClosed = false;  // `from` has closed; its close is queued
    bool writeClosed = false; // the close has been handed on to `to`
    bool failed = false;

    bool due(Clock::time_point now) const { return !chunks.empty() && chunks.front().due <= now; }

    void read(Clock::duration delay) {
        char buffer[65536];
        const ssize_t got = recv(from, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (got < 0)
            failed = true;
        if (got <= 0)
            readClosed = true;
        chunks.push_back({Clock::now() + delay, std::string(buffer, got > 0 ? got : 0)});
    }

    // Writes what is due, as far as the other side takes it.
    void write(Clock::time_point now) {
        while (due(now)) {
            std::string& bytes = chunks.front().bytes;
            if (bytes.empty()) {
                shutdown(to, SHUT_WR);
                writeClosed = true;
                chunks.pop_front();
                return;
            }
            const ssize_t sent = send(to, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent < 0) {
                failed = failed || (errno != EAGAIN && errno != EINTR);
                return;
            }
            bytes.erase(0, static_cast<std::size_t>(sent));
            if (!bytes.empty())
                return;
            chunks.pop_front();
        }
    }
};

} // namespace

DelayProxy::DelayProxy(std::uint16_t targetPort, double roundTripSeconds)
    : targetPort_(targetPort), halfTrip_(roundTripSeconds / 2) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

DelayProxy::~DelayProxy() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listener_ >= 0)
        close(listener_);
}

void DelayProxy::serve() {
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, static_cast<int>(StopCheck.count())) <= 0)
            continue;
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0)
            forward(client);
    }
}

void DelayProxy::forward(int client) {
    const auto delay =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(halfTrip_));
    // The handshake the loopback skips: a round trip, and the half of the client's first
    // acknowledgement on its way to the server.
    const Clock::time_point open = Clock::now() + 3 * delay;
    while (!stopping_ && Clock::now() < open)
        std::this_thread::sleep_for(std::min<Clock::duration>(open - Clock::now(), StopCheck));
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in target = loopback(targetPort_);
    if (server < 0 ||
        connect(server, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        close(client);
        if (server >= 0)
            close(server);
        return;
    }
    for (int side : {client, server}) {
        noDelay(side);
        fcntl(side, F_SETFL, fcntl(side, F_GETFL) | O_NONBLOCK);
    }
    Direction up;
    up.from = client;
    up.to = server;
    Direction down;
    down.from = server;
    down.to = client;
    while (!stopping_ && !up.failed && !down.failed && !(up.writeClosed && down.writeClosed)) {
        const Clock::time_point now = Clock::now();
        Clock::time_point wake = now + StopCheck;
        pollfd fds[2] = {{client, 0, 0}, {server, 0, 0}};
        for (Direction* d : {&up, &down}) {
            pollfd& in = d->from == client ? fds[0] : fds[1];
            pollfd& out = d->to == client ? fds[0] : fds[1];
            if (!d->readClosed)
                in.events |= POLLIN;
            if (d->due(now))
                out.events |= POLLOUT;
            else if (!d->chunks.empty())
                wake = std::min(wake, d->chunks.front().due);
        }
        const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(wake - now);
        const timespec timeout{static_cast<time_t>(wait.count() / 1000000000),
                               static_cast<long>(wait.count() % 1000000000)};
        if (ppoll(fds, 2, &timeout, nullptr) < 0 && errno != EINTR)
            break;
        for (Direction* d : {&up, &down}) {
            const pollfd& in = d->from == client ? fds[0] : fds[1];
            if (in.revents & (POLLIN | POLLHUP | POLLERR) && !d->readClosed)
                d->read(delay);
            d->write(Clock::now());
        }
    }
    close(client);
    close(server);
}
