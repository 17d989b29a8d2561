#pragma once

#include "telemetry/TQTMModelField.h"

#include <exception>
#include <memory>
#include <vector>

class TQTMStackFrame;
struct TQTMError;

// An exception as the crash log and the handled error log send it: its type, message, the text
// of its stack and the stack's frames. Needs a type and at least one frame to be valid.
class TQTMExceptionModel : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMExceptionModel";
    using Frames = std::vector<std::shared_ptr<TQTMStackFrame>>;

    // A handled error: its domain as the type, its description as the message, the calling
    // thread's stack.
    static std::shared_ptr<TQTMExceptionModel> initWithError(const TQTMError& error);
    // A caught exception: its type's name and what() text, the calling thread's stack (an
    // exception carries none of its own).
    static std::shared_ptr<TQTMExceptionModel> initWithException(const std::exception& exception);
    // The stack is given as symbol lines; without them, the calling thread's stack.
    static std::shared_ptr<TQTMExceptionModel>
    initWithTypeExceptionMessageStackTrace(std::optional<std::string> type,
                                           std::optional<std::string> message,
                                           std::optional<std::vector<std::string>> stackTrace);

    // One frame per line that splits, at the characters " -[]+?.,", into more than five
    // non-empty parts: parts 1 to 4 are file name, address, class name and method name.
    static Frames loadStackTrace(const std::vector<std::string>& symbols);
    // The calling thread's stack, one line per frame: index, image name, address, symbol and
    // offset, as the platform's own symbolic stack lists them.
    static std::vector<std::string> callStackSymbols();

    const std::optional<std::string>& type() const { return type_; }
    void setType(std::optional<std::string> value) { type_ = std::move(value); }
    const std::optional<std::string>& message() const { return message_; }
    void setMessage(std::optional<std::string> value) { message_ = std::move(value); }
    const std::optional<std::string>& stackTrace() const { return stackTrace_; }
    void setStackTrace(std::optional<std::string> value) { stackTrace_ = std::move(value); }
    const std::optional<Frames>& frames() const { return frames_; }
    void setFrames(std::optional<Frames> value) { frames_ = std::move(value); }

    TQTMJson serializeToDictionary() const override;
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    void setStack(const std::vector<std::string>& symbols);

    std::optional<std::string> type_;
    std::optional<std::string> message_;
    std::optional<std::string> stackTrace_;
    std::optional<Frames> frames_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"type", &TQTMExceptionModel::type_},
        TQTMModelField{"message", &TQTMExceptionModel::message_},
        TQTMModelField{"stackTrace", &TQTMExceptionModel::stackTrace_},
        TQTMModelField{"frames", &TQTMExceptionModel::frames_},
    };
};
