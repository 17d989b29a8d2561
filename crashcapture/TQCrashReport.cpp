#include "crashcapture/TQCrashReport.h"

#include "crashcapture/tqcrash.pb-c.h"

#include <cstring>
#include <string>

namespace tqcrash {

namespace {

using Message = Tqcrash__CrashReport;

constexpr std::uint64_t kCpuTypeArm64 = 0x100000C;
constexpr std::uint64_t kCpuSubtypeArm64e = 2;
constexpr std::uint64_t kArm64ePointerMask = 0xFFFFFFFFF;
constexpr std::size_t kMaxMachExceptionCodes = 256;

struct MessageDeleter {
    void operator()(Message* message) const {
        protobuf_c_message_free_unpacked(&message->base, nullptr);
    }
};

// A section or field the report lacks, or another reason to refuse it.
struct Refusal {
    std::string text;
};

std::optional<std::string> optionalText(const char* text) {
    return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

std::optional<TQCrashReportDate> dateFromSeconds(std::int64_t seconds) {
    return TQCrashReportDate(std::chrono::seconds(seconds));
}

// The number an enum field holds. The unpacker stores whatever number the report has, negative ones
// too, which the field's C enum type cannot hold: such fields are read as the plain integers they are.
template <typename Enum>
std::int32_t enumNumber(const Enum& field) {
    static_assert(sizeof(Enum) == sizeof(std::int32_t));
    std::int32_t number = 0;
    std::memcpy(&number, &field, sizeof number);
    return number;
}

TQCrashReportProcessorInfo processorInfo(const Tqcrash__CrashReport__Processor* processor) {
    if (processor == nullptr) {
        throw Refusal{"Crash report is missing processor info section"};
    }
    return TQCrashReportProcessorInfo(static_cast<TQCrashReportProcessorTypeEncoding>(enumNumber(processor->encoding)),
                                      processor->type, processor->subtype);
}

// The processor of a report without machine facts, from its architecture.
TQCrashReportProcessorInfo processorFromArchitecture(std::int32_t architecture) {
    struct Known {
        std::uint64_t type, subtype;
    };
    static constexpr Known kKnown[] = {
        {7, 3}, {0x1000007, 3}, {12, 6}, {18, 0}, {0x1000012, 0}, {12, 9},
    };
    const auto index = static_cast<std::size_t>(architecture);
    if (architecture < 0 || index >= std::size(kKnown)) {
        throw Refusal{"Crash report has an unknown architecture"};
    }
    return TQCrashReportProcessorInfo(TQCrashReportProcessorTypeEncoding::Mach, kKnown[index].type,
                                      kKnown[index].subtype);
}

std::string lowerHex(const ProtobufCBinaryData& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < bytes.len; ++i) {
        text += kDigits[bytes.data[i] >> 4];
        text += kDigits[bytes.data[i] & 0x0F];
    }
    return text;
}

} // namespace

// Turns the unpacked message into section objects; refuses by throwing a Refusal, which never
// leaves this file.
class TQCrashReport::Decoder final {
public:
    explicit Decoder(const Message& message) : message_(message) {
        if (const auto* machine = message.machine_info; machine != nullptr && machine->processor != nullptr) {
            const auto* processor = machine->processor;
            arm64e_ = processor->type == kCpuTypeArm64 && processor->subtype == kCpuSubtypeArm64e;
        }
    }

    void fill(TQCrashReport& report) const {
        const Message& m = message_;
        if (m.report_info != nullptr && m.report_info->has_uuid) {
            if (m.report_info->uuid.len != 16) {
                throw Refusal{"Report UUID value is not a standard 16 bytes"};
            }
            TQCrashReportUuid uuid;
            std::memcpy(uuid.data(), m.report_info->uuid.data, uuid.size());
            report.uuid_ = uuid;
        }
        if (m.machine_info != nullptr) {
            report.machineInfo_ = machineInfo(*m.machine_info);
        }
        report.systemInfo_ = systemInfo(m.system_info, report.machineInfo_);
        report.applicationInfo_ = applicationInfo(m.application_info);
        if (m.process_info != nullptr) {
            report.processInfo_ = processInfo(*m.process_info);
        }
        report.signalInfo_ = signalInfo(m.signal);
        if (m.signal->mach_exception != nullptr) {
            report.machExceptionInfo_ = machExceptionInfo(*m.signal->mach_exception);
        }
        report.threads_ = threads();
        report.images_ = images();
        if (m.exception != nullptr) {
            report.exceptionInfo_ = exceptionInfo(*m.exception);
        }
        if (m.has_custom_data) {
            report.customData_ = std::vector<std::uint8_t>(m.custom_data.data, m.custom_data.data + m.custom_data.len);
        }
    }

private:
    static TQCrashReportMachineInfo machineInfo(const Tqcrash__CrashReport__MachineInfo& machine) {
        std::optional<TQCrashReportProcessorInfo> processor;
        if (machine.processor != nullptr) {
            processor = processorInfo(machine.processor);
        }
        return TQCrashReportMachineInfo(optionalText(machine.model), processor, machine.processor_count,
                                        machine.logical_processor_count);
    }

    static TQCrashReportSystemInfo systemInfo(const Tqcrash__CrashReport__SystemInfo* system,
                                              const std::optional<TQCrashReportMachineInfo>& machine) {
        if (system == nullptr) {
            throw Refusal{"Crash report is missing System Information section"};
        }
        if (system->os_version == nullptr) {
            throw Refusal{"Crash report is missing System Information OS version field"};
        }
        const TQCrashReportProcessorInfo processor = machine && machine->processorInfo()
                                                         ? *machine->processorInfo()
                                                         : processorFromArchitecture(enumNumber(system->architecture));
        return TQCrashReportSystemInfo(
            static_cast<TQCrashReportOperatingSystem>(system->has_operating_system
                                                          ? enumNumber(system->operating_system)
                                                          : TQCRASH__CRASH_REPORT__SYSTEM_INFO__OPERATING_SYSTEM__OS_UNKNOWN),
            system->os_version, optionalText(system->os_build),
            static_cast<TQCrashReportArchitecture>(enumNumber(system->architecture)), processor,
            system->timestamp != 0 ? dateFromSeconds(system->timestamp) : std::nullopt);
    }

    static TQCrashReportApplicationInfo applicationInfo(const Tqcrash__CrashReport__ApplicationInfo* application) {
        if (application == nullptr) {
            throw Refusal{"Crash report is missing Application Information section"};
        }
        if (application->identifier == nullptr) {
            throw Refusal{"Crash report is missing Application Information app identifier field"};
        }
        if (application->version == nullptr) {
            throw Refusal{"Crash report is missing Application Information app version field"};
        }
        return TQCrashReportApplicationInfo(application->identifier, application->version,
                                            optionalText(application->marketing_version));
    }

    static TQCrashReportProcessInfo processInfo(const Tqcrash__CrashReport__ProcessInfo& process) {
        return TQCrashReportProcessInfo(
            optionalText(process.process_name), process.process_id, optionalText(process.process_path),
            process.has_start_time ? dateFromSeconds(static_cast<std::int64_t>(process.start_time)) : std::nullopt,
            optionalText(process.parent_process_name), process.parent_process_id, process.native != 0);
    }

    static TQCrashReportSignalInfo signalInfo(const Tqcrash__CrashReport__Signal* signal) {
        if (signal == nullptr) {
            throw Refusal{"Crash report is missing Signal Information section"};
        }
        if (signal->name == nullptr) {
            throw Refusal{"Crash report is missing signal name field"};
        }
        if (signal->code == nullptr) {
            throw Refusal{"Crash report is missing signal code field"};
        }
        return TQCrashReportSignalInfo(signal->name, signal->code, signal->address);
    }

    static TQCrashReportMachExceptionInfo machExceptionInfo(const Tqcrash__CrashReport__Signal__MachException& mach) {
        if (mach.n_codes >= kMaxMachExceptionCodes) {
            throw Refusal{"Crash report includes too many Mach Exception codes"};
        }
        return TQCrashReportMachExceptionInfo(mach.type, std::vector<std::uint64_t>(mach.codes, mach.codes + mach.n_codes));
    }

    TQCrashReportStackFrameInfo stackFrame(const Tqcrash__CrashReport__Thread__StackFrame* frame) const {
        if (frame == nullptr) {
            throw Refusal{"Crash report is missing stack frame information"};
        }
        std::optional<TQCrashReportSymbolInfo> symbol;
        if (frame->symbol != nullptr) {
            if (frame->symbol->name == nullptr) {
                throw Refusal{"Crash report is missing symbol information"};
            }
            symbol.emplace(frame->symbol->name, frame->symbol->start_address,
                           frame->symbol->has_end_address ? frame->symbol->end_address : 0);
        }
        // arm64e return addresses carry a signature above the 36 address bits.
        const std::uint64_t pc = arm64e_ ? frame->pc & kArm64ePointerMask : frame->pc;
        return TQCrashReportStackFrameInfo(pc, std::move(symbol));
    }

    std::vector<TQCrashReportStackFrameInfo> stackFrames(Tqcrash__CrashReport__Thread__StackFrame* const* frames,
                                                         std::size_t count) const {
        std::vector<TQCrashReportStackFrameInfo> result;
        result.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            result.push_back(stackFrame(frames[i]));
        }
        return result;
    }

    std::vector<TQCrashReportThreadInfo> threads() const {
        if (message_.n_threads == 0) {
            throw Refusal{"Crash report is missing thread state information"};
        }
        std::vector<TQCrashReportThreadInfo> result;
        for (std::size_t i = 0; i < message_.n_threads; ++i) {
            const auto& thread = *message_.threads[i];
            std::vector<TQCrashReportRegisterInfo> registers;
            for (std::size_t r = 0; r < thread.n_registers; ++r) {
                if (thread.registers[r]->name == nullptr) {
                    throw Refusal{"Missing register name in register value"};
                }
                registers.emplace_back(thread.registers[r]->name, thread.registers[r]->value);
            }
            result.emplace_back(thread.thread_number, stackFrames(thread.frames, thread.n_frames),
                                thread.crashed != 0, std::move(registers));
        }
        return result;
    }

    std::vector<TQCrashReportBinaryImageInfo> images() const {
        if (message_.n_binary_images == 0) {
            throw Refusal{"Crash report is missing binary image information"};
        }
        std::vector<TQCrashReportBinaryImageInfo> result;
        for (std::size_t i = 0; i < message_.n_binary_images; ++i) {
            const auto& image = *message_.binary_images[i];
            if (image.name == nullptr) {
                throw Refusal{"Missing image name in image record"};
            }
            std::optional<std::string> uuid;
            if (image.has_uuid && image.uuid.len > 0) {
                uuid = lowerHex(image.uuid);
            }
            std::optional<TQCrashReportProcessorInfo> codeType;
            if (image.code_type != nullptr) {
                codeType = processorInfo(image.code_type);
            }
            result.emplace_back(codeType, image.base_address, image.size, image.name, std::move(uuid));
        }
        return result;
    }

    TQCrashReportExceptionInfo exceptionInfo(const Tqcrash__CrashReport__Exception& exception) const {
        if (exception.name == nullptr) {
            throw Refusal{"Crash report is missing exception name field"};
        }
        if (exception.reason == nullptr) {
            throw Refusal{"Crash report is missing exception reason field"};
        }
        std::optional<std::vector<TQCrashReportStackFrameInfo>> frames;
        if (exception.n_frames > 0) {
            frames = stackFrames(exception.frames, exception.n_frames);
        }
        return TQCrashReportExceptionInfo(exception.name, exception.reason, std::move(frames));
    }

    const Message& message_;
    bool arm64e_ = false;
};

std::unique_ptr<TQCrashReport> TQCrashReport::initWithDataError(std::span<const std::uint8_t> data,
                                                                TQCrashReporterError* error) {
    auto refuse = [error](std::string text) {
        crash_error_populate(error, TQCrashReporterErrorCode::CrashReportInvalid, std::move(text));
        return nullptr;
    };
    if (data.size() <= 8) {
        return refuse("Could not decode truncated crash log");
    }
    if (std::memcmp(data.data(), "tqcrash", 7) != 0) {
        return refuse("Could not decode invalid crash log header");
    }
    if (data[7] != 1) {
        return refuse("Could not decode unsupported crash report version: " + std::to_string(data[7]));
    }
    std::unique_ptr<Message, MessageDeleter> message(
        tqcrash__crash_report__unpack(nullptr, data.size() - 8, data.data() + 8));
    if (!message) {
        return refuse("An unknown error occured decoding the crash report");
    }
    std::unique_ptr<TQCrashReport> report(new TQCrashReport());
    try {
        Decoder(*message).fill(*report);
    } catch (const Refusal& refusal) {
        return refuse(refusal.text);
    }
    return report;
}

const TQCrashReportBinaryImageInfo* TQCrashReport::imageForAddress(std::uint64_t address) const {
    for (const auto& image : images_) {
        if (address >= image.imageBaseAddress() && address - image.imageBaseAddress() < image.imageSize()) {
            return &image;
        }
    }
    return nullptr;
}

} // namespace tqcrash
