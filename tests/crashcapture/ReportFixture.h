#pragma once

#include "crashcapture/tqcrash.pb-c.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tqcrash::test {

// A small valid crash report message that a test changes field by field before packing it into
// report-file bytes ("tqcrash", version 1, message). Every pointer in `report` points into this
// object, so it must not be copied.
class ReportFixture final {
public:
    ReportFixture();
    ReportFixture(const ReportFixture&) = delete;
    ReportFixture& operator=(const ReportFixture&) = delete;

    std::vector<std::uint8_t> bytes() const;

    Tqcrash__CrashReport report;
    Tqcrash__CrashReport__SystemInfo system;
    Tqcrash__CrashReport__ApplicationInfo application;
    Tqcrash__CrashReport__Signal signal;
    Tqcrash__CrashReport__Signal__MachException mach;
    std::vector<std::uint64_t> machCodes;
    Tqcrash__CrashReport__MachineInfo machine;
    Tqcrash__CrashReport__Processor machineProcessor;
    Tqcrash__CrashReport__ReportInfo reportInfo;
    std::vector<std::uint8_t> reportUuid;
    Tqcrash__CrashReport__Thread thread;
    Tqcrash__CrashReport__Thread* threadList[1];
    Tqcrash__CrashReport__Thread__StackFrame frame;
    Tqcrash__CrashReport__Thread__StackFrame* frameList[1];
    Tqcrash__CrashReport__BinaryImage image;
    Tqcrash__CrashReport__BinaryImage* imageList[1];
    std::vector<std::uint8_t> imageUuid;

    // Links the optional parts the test asked for.
    void useMachine(std::uint64_t type, std::uint64_t subtype);
    void useReportUuid(std::size_t length);
    void useMachCodes(std::size_t count);
};

} // namespace tqcrash::test
