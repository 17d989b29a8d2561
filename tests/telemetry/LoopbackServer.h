#pragma once

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sonvale::test {

// A real HTTP server on 127.0.0.1 for the client's tests: it records every request (gzipped bodies
// inflated, as the real service does) and answers with scripted responses in order (then 200 with
// an empty body).
class LoopbackServer {
public:
    struct Request {
        std::string method;
        std::string path;
        std::multimap<std::string, std::string> params;
        httplib::Headers headers;
        std::string body;

        std::string header(const std::string& name) const;
        bool hasHeader(const std::string& name) const;
    };
    struct Answer {
        int status = 200;
        std::string body;
        std::string contentType = "text/plain";
        std::vector<std::pair<std::string, std::string>> headers;
    };

    LoopbackServer();
    ~LoopbackServer();

    std::string baseUrl() const;
    void answerWith(Answer answer);
    std::vector<Request> requests() const;
    size_t requestCount() const;
    // Waits until at least `count` requests have arrived (a generous safety limit, not a timing).
    bool waitForRequests(size_t count) const;

private:
    void handle(const httplib::Request& request, httplib::Response& response);

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::deque<Answer> answers_;
    std::vector<Request> requests_;
};

// The telemetry logs of every request the server received, in arrival order.
std::vector<nlohmann::json> logsSentTo(const LoopbackServer& server);

} // namespace sonvale::test
