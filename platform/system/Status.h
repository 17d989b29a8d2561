#pragma once

#include <string>
#include <utility>

namespace sonvale {

// The outcome of an operation that can fail: success, or a message a person can read.
class [[nodiscard]] Status final {
public:
    static Status success() { return Status(); }
    static Status failure(std::string message) { return Status(std::move(message)); }

    bool isOk() const { return !failed_; }
    explicit operator bool() const { return isOk(); }
    const std::string& message() const { return message_; }

private:
    Status() = default;
    explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

    bool failed_ = false;
    std::string message_;
};

} // namespace sonvale
