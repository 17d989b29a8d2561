#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/engine/TQKitConversionList.h"

namespace sonvale::test {

// Registers itself as a list's callback and records what the engine reports: the states in order,
// the files it was asked to accept, the progress values. Tests wait for the finished state with
// waitFinished(), which gives up (and so fails the test) only after a generous limit.
class ListWatcher final {
public:
    explicit ListWatcher(TQKitConversionList* list);
    ~ListWatcher(); // removes the callback

    std::vector<int32_t> states() const;
    std::vector<std::string> askedToAccept() const;
    // How often each callback type came.
    int count(uint32_t type) const;
    // The title records of type 15.
    std::vector<TQKitTitleRecord> titles() const;
    bool waitFinished(std::chrono::seconds limit = std::chrono::seconds(120));

    // Answers callback type 1 (accept a file): true by default.
    std::function<bool(const std::string& name)> accept;
    // Answers callback types 16 and 17 (tags of a file), changing the list in place.
    std::function<void(uint32_t type, TQKitTagList& tags)> tags;
    // Called for every list progress value (type 0), on the engine's thread.
    std::function<void(double)> progress;

private:
    static int callback(uint32_t type, void* data, void* context);

    TQKitConversionList* list_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int32_t> states_;
    std::vector<std::string> asked_;
    std::map<uint32_t, int> counts_;
    std::vector<TQKitTitleRecord> titles_;
};

} // namespace sonvale::test
