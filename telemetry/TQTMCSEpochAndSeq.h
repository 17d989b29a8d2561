#pragma once

#include <cstdint>
#include <string>

// The sequence counter of one instrumentation key, kept by the one-collector channel delegate.
class TQTMCSEpochAndSeq final {
public:
    explicit TQTMCSEpochAndSeq(std::string epoch) : epoch_(std::move(epoch)) {}

    uint64_t seq() const { return seq_; }
    void setSeq(uint64_t seq) { seq_ = seq; }
    const std::string& epoch() const { return epoch_; }
    void setEpoch(std::string epoch) { epoch_ = std::move(epoch); }

private:
    std::string epoch_;
    uint64_t seq_ = 0;
};
