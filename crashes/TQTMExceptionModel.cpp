#include "crashes/TQTMExceptionModel.h"

#include "crashes/TQTMStackFrame.h"
#include "telemetry/TQTMError.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <typeinfo>

namespace {

constexpr size_t kMaxCallStackFrames = 128;

std::string demangled(const char* name)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(name, nullptr, nullptr, &status), std::free);
    return readable ? readable.get() : name;
}

std::string lastPathComponent(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

std::vector<std::string> splitAtSeparators(const std::string& line)
{
    static constexpr std::string_view kSeparators = " -[]+?.,";
    std::vector<std::string> parts;
    std::string part;
    for (char c : line) {
        if (kSeparators.find(c) == std::string_view::npos) {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(std::move(part));
            part.clear();
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

} // namespace

std::shared_ptr<TQTMExceptionModel> TQTMExceptionModel::initWithError(const TQTMError& error)
{
    auto model = std::make_shared<TQTMExceptionModel>();
    if (!error.domain.empty())
        model->type_ = error.domain;
    if (!error.description.empty())
        model->message_ = error.description;
    model->setStack(callStackSymbols());
    return model;
}

std::shared_ptr<TQTMExceptionModel>
TQTMExceptionModel::initWithException(const std::exception& exception)
{
    auto model = std::make_shared<TQTMExceptionModel>();
    model->type_ = demangled(typeid(exception).name());
    model->message_ = exception.what();
    model->setStack(callStackSymbols());
    return model;
}

std::shared_ptr<TQTMExceptionModel> TQTMExceptionModel::initWithTypeExceptionMessageStackTrace(
    std::optional<std::string> type, std::optional<std::string> message,
    std::optional<std::vector<std::string>> stackTrace)
{
    auto model = std::make_shared<TQTMExceptionModel>();
    model->type_ = std::move(type);
    model->message_ = std::move(message);
    model->setStack(stackTrace ? *stackTrace : callStackSymbols());
    return model;
}

void TQTMExceptionModel::setStack(const std::vector<std::string>& symbols)
{
    stackTrace_ = joinedLines(symbols);
    frames_ = loadStackTrace(symbols);
}

TQTMExceptionModel::Frames TQTMExceptionModel::loadStackTrace(const std::vector<std::string>& symbols)
{
    Frames frames;
    for (const std::string& line : symbols) {
        const std::vector<std::string> parts = splitAtSeparators(line);
        if (parts.size() <= 5)
            continue;
        auto frame = std::make_shared<TQTMStackFrame>();
        frame->setFileName(parts[1]);
        frame->setAddress(parts[2]);
        frame->setClassName(parts[3]);
        frame->setMethodName(parts[4]);
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::vector<std::string> TQTMExceptionModel::callStackSymbols()
{
    void* addresses[kMaxCallStackFrames];
    const int count = ::backtrace(addresses, static_cast<int>(kMaxCallStackFrames));
    std::vector<std::string> lines;
    // The first address is this function's own.
    for (int i = 1; i < count; ++i) {
        const auto address = reinterpret_cast<uintptr_t>(addresses[i]);
        Dl_info info{};
        const bool known = ::dladdr(addresses[i], &info) != 0;
        const std::string image = known && info.dli_fname ? lastPathComponent(info.dli_fname) : "???";
        std::string symbol = "???";
        uintptr_t offset = 0;
        if (known && info.dli_sname) {
            symbol = demangled(info.dli_sname);
            offset = address - reinterpret_cast<uintptr_t>(info.dli_saddr);
        } else if (known) {
            offset = address - reinterpret_cast<uintptr_t>(info.dli_fbase);
        }
        char head[96];
        std::snprintf(head, sizeof head, "%-4d%-35s 0x%016" PRIxPTR " ", i - 1, image.c_str(),
                      address);
        lines.push_back(head + symbol + " + " + std::to_string(offset));
    }
    return lines;
}

TQTMJson TQTMExceptionModel::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

bool TQTMExceptionModel::isValid() const
{
    if (!type_)
        return TQTMReportInvalidField(archiveClassName(), "type");
    if (!frames_ || frames_->empty())
        return TQTMReportInvalidField(archiveClassName(), "frames");
    return true;
}

bool TQTMExceptionModel::isEqual(const TQTMSerializableObject& other) const
{
    const auto* model = dynamic_cast<const TQTMExceptionModel*>(&other);
    return model && TQTMFieldsEqual(*this, *model, kFields);
}

void TQTMExceptionModel::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMExceptionModel::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeFields(coder, *this, kFields);
}
