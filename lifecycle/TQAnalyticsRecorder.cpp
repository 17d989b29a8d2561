#include "lifecycle/TQAnalyticsRecorder.h"

#include "lifecycle/TQNetworkWait.h"
#include "platform/system/AppInfo.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/Base64.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitSettings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

constexpr const char* kLastRequestSection = "TQSetting";
constexpr const char* kLastRequestKey = "LastIntroToolTipTimeStamp2";
constexpr auto kPollInterval = std::chrono::milliseconds(500);
constexpr int kRequestTimeoutMs = 10000;
// The last send at shutdown: the application is quitting, so it gets a short chance only.
constexpr int kFinalRequestTimeoutMs = 2000;
constexpr size_t kMaxNameBytes = 259;
constexpr int kMaxCollapsePasses = 16;

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string trimControls(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string> splitAt(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::vector<std::string> parseList(const std::string& text)
{
    std::vector<std::string> list;
    for (const std::string& part : splitAt(text, ',')) {
        std::string item = trimControls(part);
        std::transform(item.begin(), item.end(), item.begin(), asciiLower);
        if (!item.empty())
            list.push_back(std::move(item));
    }
    return list;
}

bool containsAny(const std::string& name, const std::vector<std::string>& entries)
{
    return std::any_of(entries.begin(), entries.end(),
                       [&name](const std::string& entry) { return name.find(entry) != std::string::npos; });
}

// The request of one batch: who sends it, then one line per event in queue order.
std::vector<std::string> requestLines(const std::vector<std::string>& batch)
{
    const sonvale::AppInfo& app = sonvale::AppInfo::main();
    std::vector<std::string> lines{
        "product:sonva1",
        "version:" + app.stringForInfoDictionaryKey(sonvale::AppInfo::kShortVersionKey).value_or(""),
        "build:" + app.stringForInfoDictionaryKey(sonvale::AppInfo::kVersionKey).value_or(""),
    };
    for (const std::string& name : batch)
        lines.push_back("event:" + name);
    return lines;
}

} // namespace

std::string TQAnalyticsSanitizeEventName(const char* name)
{
    if (!name)
        return {};
    std::string text(name, strnlen(name, kMaxNameBytes));
    for (char& c : text) {
        c = asciiLower(c);
        if (static_cast<signed char>(c) <= 32 || std::strchr("&*$#@-+=.,?!", c))
            c = '_';
    }
    while (!text.empty() && (text.back() == '_' || static_cast<unsigned char>(text.back()) < 33))
        text.pop_back();
    size_t begin = 0;
    while (begin < text.size() && (text[begin] == '_' || static_cast<unsigned char>(text[begin]) <= 32))
        ++begin;
    text.erase(0, begin);
    for (int pass = 0; pass < kMaxCollapsePasses && text.find("__") != std::string::npos; ++pass) {
        size_t at = 0;
        while ((at = text.find("__", at)) != std::string::npos)
            text.replace(at, 2, "_");
    }
    return text;
}

class TQAnalyticsRecorder::SenderThread final : public TQKitThread {
public:
    explicit SenderThread(TQAnalyticsRecorder& recorder) : recorder_(recorder) {}
    ~SenderThread() override
    {
        RequestStop();
        Join();
    }

protected:
    void Run() override
    {
        recorder_.runSender([this] { return StopRequested(); });
    }

private:
    TQAnalyticsRecorder& recorder_;
};

TQAnalyticsRecorder::TQAnalyticsRecorder(TQAnalyticsServices services)
    : services_(std::move(services)), sender_(std::make_unique<SenderThread>(*this))
{
    sendInterval_ = static_cast<uint64_t>(params_.sendIntervalStart);
    batchThreshold_ = static_cast<uint64_t>(params_.batchThresholdStart);
}

TQAnalyticsRecorder::~TQAnalyticsRecorder()
{
    {
        std::lock_guard lock(wakeMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    sender_.reset();
}

int64_t TQAnalyticsRecorder::now() const
{
    return std::chrono::duration_cast<std::chrono::seconds>(services_.clock->now().time_since_epoch()).count();
}

void TQAnalyticsRecorder::configure(bool enabledDefault)
{
    const TQKitRemoteParams& remote = *services_.params;
    const bool loaded = remote.isLoaded();
    auto read = [&](const char* name, int defaultValue) {
        if (!loaded)
            return defaultValue;
        const int value = remote.readInt(name, defaultValue);
        return value < 1 ? defaultValue : value;
    };
    const TQAnalyticsParams defaults;
    TQAnalyticsParams params;
    params.eventInterval = read("TQAppAn002", defaults.eventInterval);
    params.sendIntervalStart = read("TQAppAn003", defaults.sendIntervalStart);
    params.sendIntervalMax = read("TQAppAn004", defaults.sendIntervalMax);
    params.batchThresholdStart = read("TQAppAn005", defaults.batchThresholdStart);
    params.batchThresholdMax = read("TQAppAn006", defaults.batchThresholdMax);
    params.quietTime = read("TQAppAn007", defaults.quietTime);

    std::lock_guard lock(storeMutex_);
    params_ = params;
    sendInterval_ = static_cast<uint64_t>(params.sendIntervalStart);
    batchThreshold_ = static_cast<uint64_t>(params.batchThresholdStart);
    if (loaded) {
        allowList_ = parseList(remote.readText("TQAppAn108", ""));
        denyList_ = parseList(remote.readText("TQAppAn109", ""));
    }
    enabled_ = loaded && remote.readInt("TQAppAn001", 0) > 0 ? true : enabledDefault;
    if (enabled_ && !eventTimesLoaded_)
        loadEventTimesLocked();
}

void TQAnalyticsRecorder::post(const char* name)
{
    if (!name || !*name || !enabled_)
        return;
    const std::string sanitized = TQAnalyticsSanitizeEventName(name);
    if (sanitized.empty())
        return;
    lastEventTime_.exchange(now());
    if (!queue(sanitized))
        return;
    if (!services_.startsSenderThread)
        return;
    std::lock_guard lock(senderStartMutex_);
    if (!sender_->IsRunning() && !stopping_) {
        sender_->Join(); // a sender that ended on its own is joined before it starts again
        sender_->Start();
    }
}

bool TQAnalyticsRecorder::queue(const std::string& name)
{
    std::lock_guard lock(storeMutex_);
    if (name.empty())
        return false;
    if (!allowList_.empty() && !containsAny(name, allowList_))
        return false;
    if (containsAny(name, denyList_))
        return false;
    int64_t& lastAccepted = eventTimes_[name];
    if (now() - lastAccepted < params_.eventInterval)
        return false;
    lastAccepted = now();
    pending_.push_back(name);
    return true;
}

void TQAnalyticsRecorder::requestFlush()
{
    if (enabled_)
        flushRequested_.exchange(true);
}

void TQAnalyticsRecorder::sleep(std::chrono::milliseconds duration, const TQAnalyticsServices::ShouldStop& shouldStop)
{
    if (services_.sleep) {
        services_.sleep(duration, shouldStop);
        return;
    }
    std::unique_lock lock(wakeMutex_);
    wake_.wait_for(lock, duration, [&] { return stopping_.load() || shouldStop(); });
}

bool TQAnalyticsRecorder::waitForNetwork(const TQAnalyticsServices::ShouldStop& shouldStop)
{
    return TQWaitForNetwork(
        services_.isReachable, [&](std::chrono::milliseconds duration) { sleep(duration, shouldStop); }, shouldStop);
}

void TQAnalyticsRecorder::runSender(const TQAnalyticsServices::ShouldStop& shouldStop)
{
    while (!shouldStop()) {
        if (!waitForNetwork(shouldStop))
            return;
        size_t count = 0;
        TQAnalyticsParams params;
        uint64_t threshold = 0;
        uint64_t interval = 0;
        {
            std::lock_guard lock(storeMutex_);
            count = pending_.size();
            params = params_;
            threshold = batchThreshold_;
            interval = sendInterval_;
        }
        const int64_t lastEvent = lastEventTime_.load();
        if (count == 0 || lastEvent == 0) {
            flushRequested_.exchange(false);
        } else if (flushRequested_.exchange(false)) {
            sendPending(shouldStop, kRequestTimeoutMs);
        } else if (now() - lastEvent >= params.quietTime) {
            if (count < threshold) {
                if (now() - lastRequestTime() >= static_cast<int64_t>(interval)) {
                    sendPending(shouldStop, kRequestTimeoutMs);
                    std::lock_guard lock(storeMutex_);
                    sendInterval_ = std::min<uint64_t>(interval * 2, static_cast<uint64_t>(params.sendIntervalMax));
                }
            } else {
                sendPending(shouldStop, kRequestTimeoutMs);
                std::lock_guard lock(storeMutex_);
                batchThreshold_ = std::min<uint64_t>(threshold * 2, static_cast<uint64_t>(params.batchThresholdMax));
            }
        }
        sleep(kPollInterval, shouldStop);
    }
}

int64_t TQAnalyticsRecorder::lastRequestTime() const
{
    std::lock_guard lock(storeMutex_);
    return std::atoll(TQKitSettingReadText(kLastRequestSection, kLastRequestKey).c_str());
}

bool TQAnalyticsRecorder::sendPending(const TQAnalyticsServices::ShouldStop& shouldStop, int timeoutMs)
{
    if (!services_.isReachable())
        return false;
    std::vector<std::string> batch;
    {
        std::lock_guard lock(storeMutex_);
        batch.swap(pending_);
    }
    if (batch.empty())
        return false;

    const bool ok = services_.webRequest(requestLines(batch), shouldStop, timeoutMs);
    lastRequestOk_ = ok;

    std::lock_guard lock(storeMutex_);
    TQKitSettingWriteText(kLastRequestSection, kLastRequestKey, std::to_string(now()).c_str());
    if (!ok && pending_.empty())
        pending_ = std::move(batch);
    return ok;
}

void TQAnalyticsRecorder::stop()
{
    {
        std::lock_guard lock(wakeMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    {
        std::lock_guard lock(senderStartMutex_);
        sender_->RequestStop();
        sender_->Join();
    }
    if (services_.isReachable() && lastRequestOk_)
        sendPending({}, kFinalRequestTimeoutMs);
    saveEventTimes();
}

std::vector<std::string> TQAnalyticsRecorder::pending() const
{
    std::lock_guard lock(storeMutex_);
    return pending_;
}

uint64_t TQAnalyticsRecorder::currentSendInterval() const
{
    std::lock_guard lock(storeMutex_);
    return sendInterval_;
}

uint64_t TQAnalyticsRecorder::currentBatchThreshold() const
{
    std::lock_guard lock(storeMutex_);
    return batchThreshold_;
}

std::map<std::string, int64_t> TQAnalyticsRecorder::eventTimes() const
{
    std::lock_guard lock(storeMutex_);
    return eventTimes_;
}

// --- Event-time file ------------------------------------------------------------------------------

std::string TQAnalyticsRecorder::encodeEventTimes(const std::vector<std::string>& items)
{
    std::set<std::string> unique;
    for (std::string item : items) {
        std::transform(item.begin(), item.end(), item.begin(), asciiLower);
        unique.insert(std::move(item));
    }
    std::string joined;
    for (const std::string& item : unique) {
        if (!joined.empty())
            joined += '\n';
        joined += item;
    }
    return sonvale::base64Encode(joined);
}

std::vector<std::string> TQAnalyticsRecorder::decodeEventTimes(const std::string& packed)
{
    const std::optional<std::vector<uint8_t>> bytes = sonvale::base64Decode(trimControls(packed));
    if (!bytes || bytes->empty())
        return {};
    return splitAt(std::string(bytes->begin(), bytes->end()), '\n');
}

void TQAnalyticsRecorder::saveEventTimes()
{
    std::lock_guard lock(storeMutex_);
    // A run that never switched recording on (offline, say) has not read the file: read it first
    // so that saving keeps what earlier runs recorded.
    if (!eventTimesLoaded_)
        loadEventTimesLocked();
    const int64_t current = now();
    std::vector<std::string> items;
    for (const auto& [name, time] : eventTimes_) {
        const auto age = static_cast<int32_t>(current - time);
        if (age >= 0 && age < params_.eventInterval)
            items.push_back(name + ":" + std::to_string(time));
    }
    const std::filesystem::path file = services_.eventTimeFile();
    if (file.empty())
        return;
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    (void)sonvale::writeFileAtomically(file, encodeEventTimes(items));
}

void TQAnalyticsRecorder::loadEventTimes()
{
    std::lock_guard lock(storeMutex_);
    loadEventTimesLocked();
}

void TQAnalyticsRecorder::loadEventTimesLocked()
{
    eventTimesLoaded_ = true;
    const std::filesystem::path file = services_.eventTimeFile();
    const std::optional<std::string> content = file.empty() ? std::nullopt : sonvale::readWholeFile(file);
    if (!content)
        return;
    const int64_t current = now();
    for (const std::string& item : decodeEventTimes(*content)) {
        std::vector<std::string> fields;
        for (const std::string& field : splitAt(item, ':')) {
            std::string trimmed = trimControls(field);
            if (!trimmed.empty())
                fields.push_back(std::move(trimmed));
        }
        if (fields.size() < 2)
            continue;
        const int64_t time = std::atoi(fields[1].c_str());
        if (time < 1 || current - time >= params_.eventInterval || static_cast<int32_t>(current - time) < 0)
            continue;
        eventTimes_[fields[0]] = time;
    }
}
