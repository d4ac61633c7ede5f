#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

// A TCP forwarder on 127.0.0.1 that makes the loopback look like a slow line: every byte is
// handed on half a round trip after it arrived, in each direction, in order, and so is each
// side's close. The upstream connection is opened one and a half round trips after a client
// connects, so the greeting of the server behind it arrives two round trips after the
// connect, as over a real link with its handshake. Serves one connection after the other on
// a thread of its own, so that a client blocking on its socket does not hold it up.
class DelayProxy {
public:
    DelayProxy(std::uint16_t targetPort, double roundTripSeconds);
    ~DelayProxy();
    DelayProxy(const DelayProxy&) = delete;
    DelayProxy& operator=(const DelayProxy&) = delete;

    // The port clients connect to; 0 when the proxy could not listen.
    std::uint16_t port() const { return port_; }

private:
    void serve();
    void forward(int client);

    std::uint16_t targetPort_;
    double halfTrip_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
