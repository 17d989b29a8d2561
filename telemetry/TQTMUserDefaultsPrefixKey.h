#pragma once

#include <string>

// Names, in a key-migration table, every old user-defaults entry whose name starts with a prefix.
class TQTMUserDefaultsPrefixKey final {
public:
    explicit TQTMUserDefaultsPrefixKey(std::string prefix) : keyPrefix_(std::move(prefix)) {}

    const std::string& keyPrefix() const { return keyPrefix_; }
    void setKeyPrefix(std::string prefix) { keyPrefix_ = std::move(prefix); }

private:
    std::string keyPrefix_;
};
