#include "tests/telemetry/LoopbackServer.h"

#include <chrono>

namespace sonvale::test {

std::string LoopbackServer::Request::header(const std::string& name) const
{
    const auto found = headers.find(name);
    return found == headers.end() ? std::string() : found->second;
}

bool LoopbackServer::Request::hasHeader(const std::string& name) const
{
    return headers.find(name) != headers.end();
}

LoopbackServer::LoopbackServer()
{
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    };
    server_.Post(".*", handler);
    server_.Get(".*", handler);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackServer::~LoopbackServer()
{
    server_.stop();
    thread_.join();
}

std::string LoopbackServer::baseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

void LoopbackServer::answerWith(Answer answer)
{
    std::lock_guard lock(mutex_);
    answers_.push_back(std::move(answer));
}

std::vector<LoopbackServer::Request> LoopbackServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

size_t LoopbackServer::requestCount() const
{
    std::lock_guard lock(mutex_);
    return requests_.size();
}

bool LoopbackServer::waitForRequests(size_t count) const
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(60),
                             [&] { return requests_.size() >= count; });
}

void LoopbackServer::handle(const httplib::Request& request, httplib::Response& response)
{
    Answer answer;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back({request.method, request.path, request.params, request.headers,
                             request.body});
        if (!answers_.empty()) {
            answer = std::move(answers_.front());
            answers_.pop_front();
        }
    }
    arrived_.notify_all();
    response.status = answer.status;
    for (const auto& [name, value] : answer.headers)
        response.set_header(name, value);
    response.set_content(answer.body, answer.contentType.c_str());
}

std::vector<nlohmann::json> logsSentTo(const LoopbackServer& server)
{
    std::vector<nlohmann::json> logs;
    for (const auto& request : server.requests()) {
        const auto body = nlohmann::json::parse(request.body);
        for (const auto& log : body.at("logs"))
            logs.push_back(log);
    }
    return logs;
}

} // namespace sonvale::test
