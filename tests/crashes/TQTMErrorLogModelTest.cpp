#include "crashes/TQTMAppleErrorLog.h"
#include "crashes/TQTMBinary.h"
#include "crashes/TQTMCrashesArchiverUtil.h"
#include "crashes/TQTMErrorAttachmentLog.h"
#include "crashes/TQTMErrorReport.h"
#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMHandledErrorLog.h"
#include "crashes/TQTMStackFrame.h"
#include "crashes/TQTMThread.h"
#include "crashes/TQTMWrapperException.h"
#include "crashes/TQTMWrapperExceptionModel.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMError.h"
#include "telemetry/TQTMUtility.h"

#include "tests/crashes/ErrorModelFixtures.h"
#include "tests/telemetry/ModelFixtures.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <functional>
#include <stdexcept>

using namespace sonvale;

namespace {

class TQTMErrorLogModelTest : public test::TelemetryTest {
protected:
    TQTMErrorLogModelTest() { TQTMCrashesArchiverUtil::addAllowedCrashesModuleClasses(); }

    template <class T>
    std::shared_ptr<T> archivedAndRead(const T& object)
    {
        return TQTMUtility::unarchiveKeyedData<T>(TQTMUtility::archiveKeyedData(&object));
    }
};

std::shared_ptr<TQTMHandledErrorLog> validHandledError()
{
    auto log = std::make_shared<TQTMHandledErrorLog>();
    log->setTimestamp(test::fixedTimestamp());
    log->setDevice(test::fixedDevice());
    log->setErrorId("E1");
    log->setException(test::fixedExceptionModel());
    return log;
}

std::shared_ptr<TQTMErrorAttachmentLog> validAttachment()
{
    auto log = TQTMErrorAttachmentLog::attachmentWithTextFilename("hello", "notes.txt");
    log->setTimestamp(test::fixedTimestamp());
    log->setDevice(test::fixedDevice());
    log->setErrorId("E1");
    return log;
}

} // namespace

TEST_F(TQTMErrorLogModelTest, CrashLogWritesEveryFieldUnderItsKey)
{
    const TQTMJson json = test::completeCrashLog()->serializeToDictionary();
    const TQTMJson expected = TQTMJson::parse(R"({
        "type": "appleError", "timestamp": "2021-03-04T05:06:07.089Z",
        "sid": "6F2C2B5C-0E1A-4C3B-9A7E-2D51B2D8A0F3", "userId": "alice",
        "id": "1B4E28BA-2FA1-11D2-883F-0016D3CCA427", "processId": 4242, "processName": "sonvale",
        "parentProcessId": 1, "parentProcessName": "systemd", "errorThreadId": 7, "fatal": true,
        "appLaunchTimestamp": "2021-03-04T05:05:07.089Z",
        "primaryArchitectureId": 16777223, "architectureVariantId": 3,
        "applicationPath": "/usr/bin/sonvale", "osExceptionType": "SIGSEGV",
        "osExceptionCode": "SEGV_MAPERR", "osExceptionAddress": "0x0",
        "threads": [{"id": 7,
                     "frames": [{"address": "0x0000000000401000", "code": "0x400000 + 4096"},
                                {"address": "0x00007f0000001000", "code": "0x7f0000000000 + 4096"}],
                     "exception": {"type": "std::runtime_error", "message": "disk full",
                                   "stackTrace": "0 sonvale 0x1 main + 1",
                                   "frames": [{"address": "0x0000000000401000", "code": "0x400000 + 4096"},
                                              {"address": "0x0000000000401010", "code": "0x400000 + 4112"}]}}],
        "binaries": [{"id": "2F1E8C0D4A5B6C7D8E9F0A1B2C3D4E5F", "startAddress": "0x0000000000400000",
                      "endAddress": "0x0000000000412fff", "name": "sonvale", "path": "/usr/bin/sonvale",
                      "primaryArchitectureId": 16777223, "architectureVariantId": 3}],
        "registers": {"rip": "0x0000000000401000", "rsp": "0x00007ffc00000000"}
    })");
    TQTMJson withoutDevice = json;
    withoutDevice.erase("device");
    EXPECT_EQ(nlohmann::json(withoutDevice), nlohmann::json(expected)) << json.dump(2);
    EXPECT_EQ(json["device"], test::fixedDevice()->serializeToDictionary());
    EXPECT_TRUE(test::completeCrashLog()->isValid());
}

TEST_F(TQTMErrorLogModelTest, FatalIsWrittenEvenWhenNeverSet)
{
    TQTMAppleErrorLog crash;
    EXPECT_EQ(crash.serializeToDictionary()["fatal"], false);
    TQTMHandledErrorLog handled;
    EXPECT_FALSE(handled.serializeToDictionary().contains("fatal"));
}

TEST_F(TQTMErrorLogModelTest, EveryClassReadsBackEqualFromAnArchive)
{
    auto wrapperModel = std::make_shared<TQTMWrapperExceptionModel>();
    wrapperModel->setType("System.IO.IOException");
    wrapperModel->setFrames(test::fixedExceptionModel()->frames());
    wrapperModel->setWrapperSdkName("wrapper");
    wrapperModel->setInnerExceptions(
        TQTMWrapperExceptionModel::InnerExceptions{test::fixedExceptionModel()});

    const auto crash = test::completeCrashLog();
    crash->setException(wrapperModel);
    crash->setProperties(TQTMLogWithProperties::Properties{{"k", "v"}});
    const auto readCrash = archivedAndRead(*crash);
    ASSERT_TRUE(readCrash);
    EXPECT_TRUE(readCrash->isEqual(*crash));
    EXPECT_EQ(readCrash->serializeToDictionary(), crash->serializeToDictionary());
    // The exception keeps its own class through the archive.
    EXPECT_TRUE(std::dynamic_pointer_cast<TQTMWrapperExceptionModel>(readCrash->exception()));

    const auto handled = validHandledError();
    EXPECT_TRUE(archivedAndRead(*handled)->isEqual(*handled));

    const auto attachment = validAttachment();
    attachment->setData(TQTMErrorAttachmentLog::Data{0, 1, 2, 255});
    const auto readAttachment = archivedAndRead(*attachment);
    ASSERT_TRUE(readAttachment);
    EXPECT_TRUE(readAttachment->isEqual(*attachment));
    EXPECT_EQ(readAttachment->attachmentId(), attachment->attachmentId());

    TQTMWrapperException wrapper;
    wrapper.setModelException(wrapperModel);
    wrapper.setExceptionData(std::vector<uint8_t>{9, 8, 7});
    wrapper.setProcessId(4242);
    const auto readWrapper = archivedAndRead(wrapper);
    ASSERT_TRUE(readWrapper);
    EXPECT_EQ(readWrapper->serializeToDictionary(), wrapper.serializeToDictionary());
    EXPECT_EQ(readWrapper->serializeToDictionary()["exceptionData"], "CQgH");
}

TEST_F(TQTMErrorLogModelTest, ThreadWritesFramesAsMadeOrAsArchived)
{
    EXPECT_EQ(TQTMThread().serializeToDictionary()["frames"], TQTMJson::array());

    TQTMThread bare;
    bare.setThreadId(3);
    bare.setFrames(std::nullopt);
    const auto read = archivedAndRead(bare);
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->serializeToDictionary().contains("frames"));
    EXPECT_FALSE(read->isValid());
}

TEST_F(TQTMErrorLogModelTest, ValidityNamesTheFirstMissingField)
{
    struct Case {
        std::string expectedLine; // empty: valid
        std::function<bool()> isValid;
    };
    auto crashWithout = [](std::function<void(TQTMAppleErrorLog&)> change) {
        return [change] {
            auto log = test::completeCrashLog();
            change(*log);
            return log->isValid();
        };
    };
    auto attachmentWith = [](std::function<void(TQTMErrorAttachmentLog&)> change) {
        return [change] {
            auto log = validAttachment();
            change(*log);
            return log->isValid();
        };
    };
    const std::vector<Case> cases = {
        {"TQTMAppleErrorLog: \"device\" is not valid.",
         crashWithout([](auto& log) { log.setDevice(nullptr); })},
        {"TQTMAppleErrorLog: \"errorId\" is not valid.",
         crashWithout([](auto& log) { log.setErrorId(std::nullopt); })},
        {"TQTMAppleErrorLog: \"processId\" is not valid.",
         crashWithout([](auto& log) { log.setProcessId(std::nullopt); })},
        {"TQTMAppleErrorLog: \"processName\" is not valid.",
         crashWithout([](auto& log) { log.setProcessName(std::nullopt); })},
        {"TQTMAppleErrorLog: \"primaryArchitectureId\" is not valid.",
         crashWithout([](auto& log) { log.setPrimaryArchitectureId(std::nullopt); })},
        {"TQTMAppleErrorLog: \"applicationPath\" is not valid.",
         crashWithout([](auto& log) { log.setApplicationPath(std::nullopt); })},
        {"TQTMAppleErrorLog: \"osExceptionType\" is not valid.",
         crashWithout([](auto& log) { log.setOsExceptionType(std::nullopt); })},
        {"TQTMAppleErrorLog: \"osExceptionCode\" is not valid.",
         crashWithout([](auto& log) { log.setOsExceptionCode(std::nullopt); })},
        {"TQTMAppleErrorLog: \"osExceptionAddress\" is not valid.",
         crashWithout([](auto& log) { log.setOsExceptionAddress(std::nullopt); })},
        // Nested objects take no part.
        {"", crashWithout([](auto& log) {
             auto empty = std::make_shared<TQTMThread>();
             log.setThreads(TQTMAppleErrorLog::Threads{empty});
             log.setBinaries(TQTMAppleErrorLog::Binaries{std::make_shared<TQTMBinary>()});
             log.setException(std::make_shared<TQTMExceptionModel>());
         })},
        {"TQTMHandledErrorLog: \"exception\" is not valid.",
         [] {
             auto log = validHandledError();
             log->setException(nullptr);
             return log->isValid();
         }},
        {"",
         [] {
             auto log = validHandledError();
             log->setException(std::make_shared<TQTMExceptionModel>());
             return log->isValid();
         }},
        {"TQTMErrorAttachmentLog: \"errorId\" is not valid.",
         attachmentWith([](auto& log) { log.setErrorId(std::nullopt); })},
        {"TQTMErrorAttachmentLog: \"data\" is not valid.",
         attachmentWith([](auto& log) { log.setData(std::nullopt); })},
        {"TQTMErrorAttachmentLog: \"contentType\" is not valid.",
         attachmentWith([](auto& log) { log.setContentType(std::nullopt); })},
        {"", attachmentWith([](auto& log) { log.setData(TQTMErrorAttachmentLog::Data{}); })},
        {"TQTMThread: \"frames\" is not valid.",
         [] {
             TQTMThread thread;
             thread.setThreadId(1);
             return thread.isValid();
         }},
        {"TQTMExceptionModel: \"frames\" is not valid.",
         [] {
             TQTMExceptionModel model;
             model.setType("t");
             model.setFrames(TQTMExceptionModel::Frames{});
             return model.isValid();
         }},
        {"TQTMBinary: \"path\" is not valid.",
         [] {
             TQTMBinary binary;
             binary.setBinaryId("id");
             binary.setStartAddress("0x1");
             binary.setEndAddress("0x2");
             binary.setName("n");
             return binary.isValid();
         }},
    };
    for (const Case& c : cases) {
        logs.clear();
        EXPECT_EQ(c.isValid(), c.expectedLine.empty()) << c.expectedLine;
        const std::vector<std::string> lines = logs.messages();
        if (c.expectedLine.empty())
            EXPECT_TRUE(lines.empty());
        else
            EXPECT_EQ(lines, std::vector<std::string>{c.expectedLine});
    }
}

TEST_F(TQTMErrorLogModelTest, EmptyAttachmentIsSentAsEmptyText)
{
    const auto attachment = validAttachment();
    attachment->setData(TQTMErrorAttachmentLog::Data{});
    const TQTMJson json = attachment->serializeToDictionary();
    EXPECT_EQ(json["data"], "");
    EXPECT_EQ(validAttachment()->serializeToDictionary()["data"], "aGVsbG8=");
    EXPECT_EQ(json["fileName"], "notes.txt");
    EXPECT_EQ(json["contentType"], "text/plain");
    // A new attachment has its own upper-case UUID.
    const std::string id = json["id"];
    EXPECT_EQ(Uuid::fromString(id).value_or(Uuid()).toString(), id);
    EXPECT_NE(validAttachment()->attachmentId(), attachment->attachmentId());
}

TEST_F(TQTMErrorLogModelTest, AttachmentsAreEqualOnlyWithEveryFieldAndTheirOwnClass)
{
    const auto a = validAttachment();
    auto copy = archivedAndRead(*a);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(a->isEqual(*copy));
    copy->setFilename("other.txt");
    EXPECT_FALSE(a->isEqual(*copy));
    copy = archivedAndRead(*a);
    copy->setSid("S");
    EXPECT_FALSE(a->isEqual(*copy));

    TQTMHandledErrorLog handled;
    EXPECT_FALSE(a->isEqual(handled));
    EXPECT_FALSE(handled.isEqual(*a));
}

TEST_F(TQTMErrorLogModelTest, StackLinesWithMoreThanFivePartsBecomeFrames)
{
    const auto frames = TQTMExceptionModel::loadStackTrace({
        "0   libtag   0x00007f0000001000 -[TQFile read] + 42",
        "1   CoreFoundation   0x00007fff2 __exceptionPreprocess + 250",
        "a b c d e",
        "a-b[c]d+e?f",
    });
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->fileName(), "libtag");
    EXPECT_EQ(frames[0]->address(), "0x00007f0000001000");
    EXPECT_EQ(frames[0]->className(), "TQFile");
    EXPECT_EQ(frames[0]->methodName(), "read");
    EXPECT_FALSE(frames[0]->code());
    EXPECT_FALSE(frames[0]->lineNumber());
    EXPECT_EQ(frames[1]->fileName(), "b");
    EXPECT_EQ(frames[1]->methodName(), "e");
}

TEST_F(TQTMErrorLogModelTest, ExceptionModelsTakeTheCallersStack)
{
    const auto fromError = TQTMExceptionModel::initWithError(TQTMError::ofCode(TQTMError::kCanceled));
    EXPECT_EQ(fromError->type(), TQTMError::kDomain);
    EXPECT_EQ(fromError->message(), "The operation was canceled.");
    ASSERT_TRUE(fromError->frames());
    EXPECT_FALSE(fromError->frames()->empty());
    EXPECT_TRUE(fromError->isValid());

    const auto fromException = TQTMExceptionModel::initWithException(std::out_of_range("index 9"));
    EXPECT_EQ(fromException->type(), "std::out_of_range");
    EXPECT_EQ(fromException->message(), "index 9");

    const auto given = TQTMExceptionModel::initWithTypeExceptionMessageStackTrace(
        "T", "M", std::vector<std::string>{"0 img 0x1 a.b + 2", "1 img 0x2 c.d + 3"});
    EXPECT_EQ(given->stackTrace(), "0 img 0x1 a.b + 2\n1 img 0x2 c.d + 3");
    EXPECT_EQ(given->frames()->size(), 2u);
}

TEST_F(TQTMErrorLogModelTest, ReportKnowsAKillAndDescribesItself)
{
    auto report = [](std::optional<std::string> signal, uint64_t pid) {
        return TQTMErrorReport("ID", "KEY", std::move(signal), std::nullopt, std::nullopt,
                               test::fixedTimestamp(), std::nullopt, "X86-64", "x86_64",
                               "/usr/bin/sonvale", std::nullopt, std::nullopt, nullptr, pid);
    };
    EXPECT_TRUE(report("sigKill", 0).isAppKill());
    EXPECT_TRUE(report("SIGKILL", 0).isAppKill());
    EXPECT_FALSE(report("SIGSEGV", 0).isAppKill());
    EXPECT_FALSE(report(std::nullopt, 0).isAppKill());

    EXPECT_FALSE(report("SIGSEGV", 0).serializeToDictionary().contains("appProcessIdentifier"));
    const TQTMJson json = report("SIGSEGV", 4242).serializeToDictionary();
    EXPECT_EQ(json["appProcessIdentifier"], "4242");
    EXPECT_EQ(json["incidentIdentifier"], "ID");
    EXPECT_EQ(json["appStartTime"], "2021-03-04T05:06:07.089Z");
}
