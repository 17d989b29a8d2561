#include "ReportFixture.h"

namespace tqcrash::test {

ReportFixture::ReportFixture() {
    tqcrash__crash_report__init(&report);
    tqcrash__crash_report__system_info__init(&system);
    tqcrash__crash_report__application_info__init(&application);
    tqcrash__crash_report__signal__init(&signal);
    tqcrash__crash_report__signal__mach_exception__init(&mach);
    tqcrash__crash_report__machine_info__init(&machine);
    tqcrash__crash_report__processor__init(&machineProcessor);
    tqcrash__crash_report__report_info__init(&reportInfo);
    tqcrash__crash_report__thread__init(&thread);
    tqcrash__crash_report__thread__stack_frame__init(&frame);
    tqcrash__crash_report__binary_image__init(&image);

    system.os_version = const_cast<char*>("12.0");
    system.architecture = TQCRASH__ARCHITECTURE__X86_64;
    system.timestamp = 1'700'000'000;
    application.identifier = const_cast<char*>("com.example.app");
    application.version = const_cast<char*>("1.0");
    signal.name = const_cast<char*>("SIGSEGV");
    signal.code = const_cast<char*>("SEGV_MAPERR");
    signal.address = 0x10;

    frame.pc = 0x401000;
    frameList[0] = &frame;
    thread.thread_number = 0;
    thread.crashed = 1;
    thread.n_frames = 1;
    thread.frames = frameList;
    threadList[0] = &thread;

    image.base_address = 0x400000;
    image.size = 0x2000;
    image.name = const_cast<char*>("/usr/bin/example");
    imageList[0] = &image;

    report.system_info = &system;
    report.application_info = &application;
    report.signal = &signal;
    report.n_threads = 1;
    report.threads = threadList;
    report.n_binary_images = 1;
    report.binary_images = imageList;
}

void ReportFixture::useMachine(std::uint64_t type, std::uint64_t subtype) {
    machineProcessor.has_encoding = 1;
    machineProcessor.encoding = TQCRASH__CRASH_REPORT__PROCESSOR__TYPE_ENCODING__TYPE_ENCODING_MACH;
    machineProcessor.type = type;
    machineProcessor.subtype = subtype;
    machine.processor = &machineProcessor;
    machine.processor_count = 4;
    machine.logical_processor_count = 8;
    report.machine_info = &machine;
}

void ReportFixture::useReportUuid(std::size_t length) {
    reportUuid.assign(length, 0xAB);
    reportInfo.uuid = {reportUuid.size(), reportUuid.data()};
    reportInfo.has_uuid = 1;
    report.report_info = &reportInfo;
}

void ReportFixture::useMachCodes(std::size_t count) {
    machCodes.assign(count, 7);
    mach.type = 1;
    mach.n_codes = machCodes.size();
    mach.codes = machCodes.data();
    signal.mach_exception = &mach;
}

std::vector<std::uint8_t> ReportFixture::bytes() const {
    std::vector<std::uint8_t> file = {'t', 'q', 'c', 'r', 'a', 's', 'h', 1};
    const std::size_t header = file.size();
    file.resize(header + tqcrash__crash_report__get_packed_size(&report));
    tqcrash__crash_report__pack(&report, file.data() + header);
    return file;
}

} // namespace tqcrash::test
