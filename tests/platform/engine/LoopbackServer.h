#pragma once

#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

namespace sonvale::test {

// A web server on the loopback interface, at a free port, answering on its own thread from start()
// until it is destroyed. Routes are added to `http` before start().
class LoopbackServer final {
public:
    LoopbackServer() = default;
    ~LoopbackServer()
    {
        http.stop();
        if (thread_.joinable())
            thread_.join();
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    void start()
    {
        port_ = http.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { http.listen_after_bind(); });
        while (!http.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    httplib::Server http;

private:
    std::thread thread_;
    int port_ = 0;
};

} // namespace sonvale::test
