#pragma once

#include "telemetry/TQTMModelField.h"

#include <cstdint>
#include <memory>
#include <vector>

class TQTMExceptionModel;
class TQTMStackFrame;

// One thread of a crashed process: its number, its frames and, for the crashed thread, the
// exception that ended the process. A new thread starts with an empty frame list; one read from
// an archive has exactly the frames that were archived. Needs an id and a frame to be valid.
class TQTMThread final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMThread";
    using Frames = std::vector<std::shared_ptr<TQTMStackFrame>>;

    TQTMThread();

    const std::optional<int64_t>& threadId() const { return threadId_; }
    void setThreadId(std::optional<int64_t> value) { threadId_ = value; }
    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> value) { name_ = std::move(value); }
    const std::optional<Frames>& frames() const { return frames_; }
    void setFrames(std::optional<Frames> value) { frames_ = std::move(value); }
    // Appends to the frame list, making one when the thread has none.
    void addFrame(std::shared_ptr<TQTMStackFrame> frame);
    const std::shared_ptr<TQTMExceptionModel>& exception() const { return exception_; }
    void setException(std::shared_ptr<TQTMExceptionModel> value) { exception_ = std::move(value); }

    TQTMJson serializeToDictionary() const override;
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;
    std::string description() const;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<int64_t> threadId_;
    std::optional<std::string> name_;
    std::optional<Frames> frames_;
    std::shared_ptr<TQTMExceptionModel> exception_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"id", &TQTMThread::threadId_},
        TQTMModelField{"name", &TQTMThread::name_},
        TQTMModelField{"frames", &TQTMThread::frames_},
        TQTMModelField{"exception", &TQTMThread::exception_},
    };
};
