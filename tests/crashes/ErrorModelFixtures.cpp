#include "tests/crashes/ErrorModelFixtures.h"

#include "crashes/TQTMAppleErrorLog.h"
#include "crashes/TQTMBinary.h"
#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMStackFrame.h"
#include "crashes/TQTMThread.h"
#include "tests/telemetry/ModelFixtures.h"

namespace sonvale::test {

namespace {

std::shared_ptr<TQTMStackFrame> frame(const std::string& address, const std::string& code)
{
    auto frame = std::make_shared<TQTMStackFrame>();
    frame->setAddress(address);
    frame->setCode(code);
    return frame;
}

} // namespace

std::shared_ptr<TQTMExceptionModel> fixedExceptionModel()
{
    auto model = std::make_shared<TQTMExceptionModel>();
    model->setType("std::runtime_error");
    model->setMessage("disk full");
    model->setStackTrace("0 sonvale 0x1 main + 1");
    model->setFrames(TQTMExceptionModel::Frames{frame("0x0000000000401000", "0x400000 + 4096"),
                                                frame("0x0000000000401010", "0x400000 + 4112")});
    return model;
}

std::shared_ptr<TQTMThread> fixedThread()
{
    auto thread = std::make_shared<TQTMThread>();
    thread->setThreadId(7);
    thread->addFrame(frame("0x0000000000401000", "0x400000 + 4096"));
    thread->addFrame(frame("0x00007f0000001000", "0x7f0000000000 + 4096"));
    thread->setException(fixedExceptionModel());
    return thread;
}

std::shared_ptr<TQTMAppleErrorLog> completeCrashLog()
{
    auto log = std::make_shared<TQTMAppleErrorLog>();
    log->setTimestamp(fixedTimestamp());
    log->setDevice(fixedDevice());
    log->setSid("6F2C2B5C-0E1A-4C3B-9A7E-2D51B2D8A0F3");
    log->setUserId("alice");
    log->setErrorId("1B4E28BA-2FA1-11D2-883F-0016D3CCA427");
    log->setProcessId(4242);
    log->setProcessName("sonvale");
    log->setParentProcessId(1);
    log->setParentProcessName("systemd");
    log->setErrorThreadId(7);
    log->setFatal(true);
    log->setAppLaunchTimestamp(fixedTimestamp() - std::chrono::seconds(60));
    log->setPrimaryArchitectureId(0x1000007);
    log->setArchitectureVariantId(3);
    log->setApplicationPath("/usr/bin/sonvale");
    log->setOsExceptionType("SIGSEGV");
    log->setOsExceptionCode("SEGV_MAPERR");
    log->setOsExceptionAddress("0x0");
    log->setThreads(TQTMAppleErrorLog::Threads{fixedThread()});
    auto binary = std::make_shared<TQTMBinary>();
    binary->setBinaryId("2F1E8C0D4A5B6C7D8E9F0A1B2C3D4E5F");
    binary->setStartAddress("0x0000000000400000");
    binary->setEndAddress("0x0000000000412fff");
    binary->setName("sonvale");
    binary->setPath("/usr/bin/sonvale");
    binary->setPrimaryArchitectureId(0x1000007);
    binary->setArchitectureVariantId(3);
    log->setBinaries(TQTMAppleErrorLog::Binaries{binary});
    log->setRegisters(TQTMAppleErrorLog::Registers{{"rip", "0x0000000000401000"},
                                                   {"rsp", "0x00007ffc00000000"}});
    return log;
}

} // namespace sonvale::test
