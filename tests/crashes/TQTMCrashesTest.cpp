#include "crashes/TQTMCrashes.h"

#include "crashcapture/TQCrashReporter.h"
#include "crashes/TQTMAppleErrorLog.h"
#include "crashes/TQTMCrashesDelegate.h"
#include "crashes/TQTMCrashesLogBuffer.h"
#include "crashes/TQTMErrorAttachmentLog.h"
#include "crashes/TQTMErrorReport.h"
#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMWrapperCrashesHelper.h"
#include "crashes/TQTMWrapperException.h"
#include "crashes/TQTMWrapperExceptionManager.h"
#include "telemetry/TQTMError.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/XdgPaths.h"
#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMLogWithProperties.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUtility.h"

#include "tests/telemetry/TelemetryTestSupport.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <atomic>
#include <future>
#include <thread>

using namespace sonvale;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char* kSecret = "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d";

// The client with the shared Crashes service against a loopback server, on a fake clock, in a
// process of its own (each test is), so that the crash engine is enabled once.
class TQTMCrashesTest : public test::LoopbackTelemetryTest {
protected:
    ~TQTMCrashesTest() override { quit(); }

    // The crash engine of the first launch stays at a relaunch, as it does in one process.
    void dropServices() override { TQTMCrashes::resetSharedInstance(); }

    std::shared_ptr<TQTMCrashes> start()
    {
        const auto crashes = TQTMCrashes::sharedInstance();
        TQTMTelemetry::start(kSecret, TQTMServiceList{crashes});
        return crashes;
    }

    // What the engine leaves when the process crashes: a report of this moment at its path.
    void leavePendingReport()
    {
        tqcrash::TQCrashReporter reporter;
        ASSERT_TRUE(reporter.populateCrashReportDirectoryAndReturnError(nullptr));
        const auto bytes = reporter.generateLiveReport();
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(writeFileAtomically(reporter.crashReportPath(),
                                        std::string(bytes->begin(), bytes->end()))
                        .isOk());
    }
    static fs::path pendingReportPath() { return tqcrash::TQCrashReporter().crashReportPath(); }

    // Runs the processing pass a second after the start and waits for it.
    void process(TQTMCrashes& crashes)
    {
        clock.advance(1s);
        crashes.unprocessedCrashReports();
    }
    // Lets the units' flush timers send what they hold.
    void flush()
    {
        TQTMTelemetry::sharedInstance().channelGroup()->logsDispatchQueue()->sync([] {});
        clock.advance(1s);
    }

    std::vector<nlohmann::json> sentLogsOfType(const std::string& type) const
    {
        std::vector<nlohmann::json> logs;
        for (const nlohmann::json& log : sentLogs())
            if (log.at("type") == type)
                logs.push_back(log);
        return logs;
    }

    // The waiting reports, asked for on a thread of its own; nothing when no answer comes within a
    // generous safety limit (the caller would have been kept waiting for ever).
    static std::optional<TQTMCrashes::ErrorReports> waitingReports(std::shared_ptr<TQTMCrashes> crashes)
    {
        auto answer = std::make_shared<std::promise<TQTMCrashes::ErrorReports>>();
        auto answered = answer->get_future();
        std::thread([crashes, answer] { answer->set_value(crashes->unprocessedCrashReports()); }).detach();
        if (answered.wait_for(60s) != std::future_status::ready)
            return std::nullopt;
        return answered.get();
    }

    static std::vector<fs::path> filesIn(const std::string& folder)
    {
        std::vector<fs::path> files;
        std::error_code error;
        for (fs::directory_iterator it(sonvaleTelemetryDir() / folder, error), end;
             !error && it != end; it.increment(error))
            files.push_back(it->path());
        return files;
    }
};

} // namespace

TEST_F(TQTMCrashesTest, AFirstStartPreparesTheBufferAndHasNothingToProcess)
{
    const auto crashes = start();
    EXPECT_FALSE(TQTMCrashes::hasCrashedInLastSession());
    EXPECT_FALSE(TQTMCrashes::lastSessionCrashReport());
    EXPECT_TRUE(crashes->unprocessedCrashReports().empty()); // does not wait
    EXPECT_EQ(logs.count("Crashes service has been enabled."), 1u);
    EXPECT_EQ(logs.count("Started crash service."), 1u);
    EXPECT_EQ(logs.count("Exception handler successfully initialized."), 1u);
    EXPECT_NE(crashes->crashReporter(), nullptr);
    EXPECT_TRUE(crashes->isMachExceptionHandlerEnabled());
    EXPECT_EQ(logs.count("Enabled Mach exception handler."), 1u);
    const auto group = TQTMTelemetry::sharedInstance().channelGroup();
    EXPECT_NE(group->channelUnitForGroupId("Crashes"), nullptr);
    EXPECT_NE(group->channelUnitForGroupId("CrashesBuffer"), nullptr);
    const auto buffer = filesIn("crasheslogbuffer");
    EXPECT_EQ(buffer.size(), TQTMCrashesLogBuffer::kSlotCount);
    for (const fs::path& file : buffer)
        EXPECT_EQ(fs::file_size(file), 0u);

    // Enabling again configures nothing new.
    crashes->applyEnabledState(true);
    EXPECT_EQ(logs.count("Already configured TQCrashReporter."), 1u);
}

TEST_F(TQTMCrashesTest, TheLastRunsCrashIsCopiedAtStartAndSentASecondLater)
{
    leavePendingReport();
    const auto crashes = start();
    EXPECT_TRUE(TQTMCrashes::hasCrashedInLastSession());
    const auto report = TQTMCrashes::lastSessionCrashReport();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->signal(), "SIGTRAP");
    EXPECT_FALSE(fs::exists(pendingReportPath()));
    EXPECT_EQ(filesIn("crashes").size(), 1u); // the copy, and no analyzer marker
    EXPECT_EQ(logs.count("The application crashed in the last session."), 1u);

    process(*crashes);
    flush();
    ASSERT_TRUE(server.waitForRequests(1));
    const auto sent = sentLogsOfType("appleError");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].at("id"), *report->incidentIdentifier());
    EXPECT_EQ(sent[0].at("osExceptionType"), "SIGTRAP");
    EXPECT_TRUE(filesIn("crashes").empty());
}

TEST_F(TQTMCrashesTest, TwoReportsCopiedInTheSameSecondAreBothKeptAndSent)
{
    leavePendingReport();
    const auto crashes = start();
    leavePendingReport();
    crashes->applyEnabledState(true);
    ASSERT_EQ(filesIn("crashes").size(), 2u);

    process(*crashes);
    flush();
    ASSERT_TRUE(server.waitForRequests(2));
    const auto sent = sentLogsOfType("appleError");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[0].at("id"), sent[1].at("id"));
}

TEST_F(TQTMCrashesTest, ReportsWaitForTheUserAndADiscardDeletesThem)
{
    leavePendingReport();
    std::atomic<int> asked = 0;
    TQTMCrashes::setUserConfirmationHandler([&](const TQTMCrashes::ErrorReports& reports) {
        asked += static_cast<int>(reports.size());
        return true;
    });
    const auto crashes = start();
    process(*crashes);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(crashes->unprocessedCrashReports().size(), 1u);
    EXPECT_EQ(filesIn("crashes").size(), 1u);

    TQTMCrashes::notifyWithUserConfirmation(TQTMUserConfirmationDiscard);
    EXPECT_TRUE(crashes->unprocessedCrashReports().empty());
    EXPECT_TRUE(filesIn("crashes").empty());
    flush();
    EXPECT_TRUE(sentLogsOfType("appleError").empty());
}

TEST_F(TQTMCrashesTest, AlwaysSendIsRememberedAndLaterReportsGoWithoutAsking)
{
    leavePendingReport();
    TQTMCrashes::setUserConfirmationHandler([](const TQTMCrashes::ErrorReports&) { return true; });
    auto crashes = start();
    process(*crashes);
    TQTMCrashes::notifyWithUserConfirmation(TQTMUserConfirmationAlways);
    flush();
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_EQ(TQTMTelemetryUserDefaults::shared()->objectForKey(TQTMCrashes::kUserConfirmationKey),
              nlohmann::json(true));

    quit();
    launch();
    leavePendingReport();
    std::atomic<int> asked = 0;
    TQTMCrashes::setUserConfirmationHandler([&](const TQTMCrashes::ErrorReports&) {
        ++asked;
        return true;
    });
    crashes = start();
    process(*crashes);
    flush();
    ASSERT_TRUE(server.waitForRequests(2));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(sentLogsOfType("appleError").size(), 2u);
}

TEST_F(TQTMCrashesTest, AConfirmationBeforeTheProcessingPassIsRefused)
{
    leavePendingReport();
    start();
    TQTMCrashes::notifyWithUserConfirmation(TQTMUserConfirmationAlways);
    EXPECT_EQ(logs.count("Incorrect usage of notifyWithUserConfirmation: it should only be called "
                         "from userConfirmationHandler. For more information refer to the "
                         "documentation."),
              1u);
    EXPECT_FALSE(TQTMTelemetryUserDefaults::shared()->objectForKey(TQTMCrashes::kUserConfirmationKey));
}

TEST_F(TQTMCrashesTest, DisablingRemovesEveryCrashFile)
{
    leavePendingReport();
    const auto crashes = start();
    ASSERT_EQ(filesIn("crashes").size(), 1u);
    leavePendingReport();
    TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
        "crasheslogbuffer/7.tmcrasheslogbuffer", {1, 2, 3}, false, true);
    TQTMTelemetryUserDefaults::shared()->setObjectForKey(true, TQTMCrashes::kMemoryWarningKey);

    crashes->serviceSetEnabled(false);
    EXPECT_FALSE(fs::exists(sonvaleTelemetryDir() / "crashes"));
    EXPECT_FALSE(fs::exists(pendingReportPath()));
    for (const fs::path& file : filesIn("crasheslogbuffer"))
        EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_FALSE(TQTMTelemetryUserDefaults::shared()->objectForKey(TQTMCrashes::kMemoryWarningKey));
    EXPECT_EQ(logs.count("Crashes service has been disabled."), 1u);
    EXPECT_FALSE(crashes->isEnabled());

    // The pass a second later finds the service off and discards what is left.
    clock.advance(1s);
    EXPECT_TRUE(logs.waitFor("Crashes service is disabled; discard all crash reports"));
    EXPECT_EQ(logs.count("Crashes service is disabled; discard all crash reports"), 1u);
}

TEST_F(TQTMCrashesTest, AServiceStartedDisabledHasNoReportsWaitingAndAnswersAtOnce)
{
    leavePendingReport();
    TQTMTelemetryUserDefaults::shared()->setObjectForKey(false, TQTMCrashes::sharedInstance()->isEnabledKey());
    const auto crashes = start();
    const auto waiting = waitingReports(crashes);
    ASSERT_TRUE(waiting) << "the caller is kept waiting";
    EXPECT_TRUE(waiting->empty());
}

TEST_F(TQTMCrashesTest, DisablingBeforeTheProcessingPassReleasesACallerWaitingForIt)
{
    leavePendingReport();
    const auto crashes = start();
    // Asked while the pass is still to come (the clock stands still): the disable must end the wait.
    auto answer = std::async(std::launch::async, [crashes] { return waitingReports(crashes); });
    crashes->serviceSetEnabled(false);
    const auto waiting = answer.get();
    ASSERT_TRUE(waiting) << "the caller is kept waiting";
    EXPECT_TRUE(waiting->empty());
}

TEST_F(TQTMCrashesTest, BufferedLogsOfACrashedRunAreSentOnceAndTheirFilesEmptied)
{
    auto log = std::make_shared<TQTMLogWithProperties>();
    log->setType("event");
    log->setTimestamp(clock.now());
    log->setProperties(TQTMLogWithProperties::Properties{{"mark", "buffered"}});
    fs::create_directories(sonvaleTelemetryDir() / "crasheslogbuffer");
    TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
        "crasheslogbuffer/5.tmcrasheslogbuffer", *TQTMUtility::archiveKeyedData(log.get()), false,
        true);
    TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
        "crasheslogbuffer/6.tmcrasheslogbuffer", {'x'}, false, true); // damaged

    start();
    EXPECT_EQ(logs.count("Re-enqueueing buffered log, type: event."), 1u);
    EXPECT_EQ(logs.count("Deserialization failed for log: The log deserialized to NULL."), 1u);
    const fs::path folder = sonvaleTelemetryDir() / "crasheslogbuffer";
    EXPECT_EQ(fs::file_size(folder / "5.tmcrasheslogbuffer"), 0u);
    EXPECT_EQ(fs::file_size(folder / "6.tmcrasheslogbuffer"), 1u); // left for a later start

    flush();
    ASSERT_TRUE(server.waitForRequests(1));
    const auto sent = sentLogsOfType("event");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].at("properties").at("mark"), "buffered");
}

TEST_F(TQTMCrashesTest, OnlyOrdinaryLogsEnterTheBuffer)
{
    const auto crashes = start();
    // The start-service log has been stored and has left the buffer.
    TQTMTelemetry::sharedInstance().channelGroup()->logsDispatchQueue()->sync([] {});
    const auto unit = crashes->channelUnit();
    auto ordinary = std::make_shared<TQTMLogWithProperties>();
    ordinary->setType("event");
    auto crash = std::make_shared<TQTMAppleErrorLog>();
    auto attachment = std::make_shared<TQTMErrorAttachmentLog>();
    crashes->channelDidPrepareLogInternalIdFlags(*unit, crash, "crash", 2);
    crashes->channelDidPrepareLogInternalIdFlags(*unit, attachment, "attachment", 1);
    for (size_t i = 0; i < TQTMCrashesLogBuffer::kSlotCount; ++i)
        EXPECT_TRUE(TQTMCrashesLogBuffer::isSlotFree(i));
    crashes->channelDidPrepareLogInternalIdFlags(*unit, ordinary, "ordinary", 1);
    EXPECT_FALSE(TQTMCrashesLogBuffer::isSlotFree(0));
    // Stored: the slot is free again, and its file, written by no crash, stays as it was.
    crashes->channelDidCompleteEnqueueingLogInternalId(*unit, ordinary, "ordinary");
    EXPECT_TRUE(TQTMCrashesLogBuffer::isSlotFree(0));
    EXPECT_TRUE(fs::exists(TQTMCrashesLogBuffer::logFilePath(0)));
}

// Handled errors and attachments.

TEST_F(TQTMCrashesTest, AttachmentsUpToTheSizeLimitAreSentOneByteMoreIsRefused)
{
    const auto crashes = start();
    constexpr size_t kLimit = 7 * 1024 * 1024;
    auto atTheLimit = TQTMErrorAttachmentLog::attachmentWithBinaryFilenameContentType(
        TQTMErrorAttachmentLog::Data(kLimit, 'a'), "fits.bin", "application/octet-stream");
    atTheLimit->setErrorId("another incident");
    auto aboveTheLimit = TQTMErrorAttachmentLog::attachmentWithBinaryFilenameContentType(
        TQTMErrorAttachmentLog::Data(kLimit + 1, 'b'), "big.bin", "application/octet-stream");
    crashes->sendErrorAttachmentsWithIncidentIdentifier({atTheLimit, aboveTheLimit}, "incident-1");
    flush();

    ASSERT_TRUE(server.waitForRequests(1));
    const auto sent = sentLogsOfType("errorAttachment");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].at("fileName"), "fits.bin");
    EXPECT_EQ(sent[0].at("errorId"), "incident-1"); // whatever it held before
    EXPECT_EQ(sent[0].at("data").get<std::string>().size(), (kLimit + 2) / 3 * 4);
    EXPECT_EQ(logs.count("Discarding attachment with size above 7340032 bytes: size=7340033, fileName=big.bin."),
              1u);
}

TEST_F(TQTMCrashesTest, AttachmentsWithoutDataOrContentTypeAreRefused)
{
    const auto crashes = start();
    const auto empty =
        TQTMErrorAttachmentLog::attachmentWithBinaryFilenameContentType({}, "empty.bin", "application/octet-stream");
    const auto untyped = TQTMErrorAttachmentLog::attachmentWithBinaryFilenameContentType({1, 2}, "untyped.bin", {});
    EXPECT_FALSE(TQTMCrashes::validatePropertiesForAttachment(*empty));
    crashes->sendErrorAttachmentsWithIncidentIdentifier({empty, untyped}, "incident-2");
    flush();
    EXPECT_EQ(logs.count("Not all required fields are present in TQTMErrorAttachmentLog."), 2u);
    EXPECT_TRUE(sentLogsOfType("errorAttachment").empty());
}

TEST_F(TQTMCrashesTest, AHandledErrorIsSentWithItsPropertiesAndAttachments)
{
    start();
    const auto errorId = TQTMCrashes::trackErrorWithPropertiesAttachments(
        TQTMError{"com.telquor.sonvale.Converter", 7, "disk full"}, TQTMCrashes::Properties{{"stage", "encode"}},
        TQTMCrashes::Attachments{TQTMErrorAttachmentLog::attachmentWithTextFilename("log text", "log.txt")});
    ASSERT_TRUE(errorId);
    const auto withoutProperties = TQTMCrashes::trackErrorWithPropertiesAttachments(
        TQTMError{"com.telquor.sonvale.Converter", 8, "no audio"}, TQTMCrashes::Properties{}, std::nullopt);
    ASSERT_TRUE(withoutProperties);
    EXPECT_NE(*errorId, *withoutProperties);
    flush();

    ASSERT_TRUE(server.waitForRequests(3));
    const auto errors = sentLogsOfType("handledError");
    ASSERT_EQ(errors.size(), 2u);
    const auto& first = errors[0].at("id") == *errorId ? errors[0] : errors[1];
    const auto& second = errors[0].at("id") == *errorId ? errors[1] : errors[0];
    EXPECT_EQ(first.at("exception").at("type"), "com.telquor.sonvale.Converter");
    EXPECT_EQ(first.at("properties"), nlohmann::json({{"stage", "encode"}}));
    EXPECT_FALSE(second.contains("properties"));
    const auto attachments = sentLogsOfType("errorAttachment");
    ASSERT_EQ(attachments.size(), 1u);
    EXPECT_EQ(attachments[0].at("errorId"), *errorId);
}

TEST_F(TQTMCrashesTest, NoHandledErrorWhileTheServiceIsDisabled)
{
    const auto crashes = start();
    crashes->serviceSetEnabled(false);
    EXPECT_FALSE(TQTMCrashes::trackErrorWithPropertiesAttachments(TQTMError{"domain", 1, "text"}, std::nullopt,
                                                                 std::nullopt));
    const auto report = crashes->buildHandledErrorReportWithErrorID("handled-1");
    EXPECT_EQ(report->incidentIdentifier(), "handled-1");
    EXPECT_EQ(report->appStartTime(), crashes->appStartTime());
    EXPECT_EQ(report->appErrorTime(), clock.now());
    EXPECT_EQ(report->appProcessIdentifier(), 0u);
}

// Wrapper exceptions.

namespace {

TQTMWrapperException wrapperExceptionOfThisProcess()
{
    TQTMWrapperException exception;
    exception.setModelException(
        TQTMExceptionModel::initWithTypeExceptionMessageStackTrace("WrapperError", "from the wrapper", std::nullopt));
    exception.setProcessId(::getpid());
    return exception;
}

} // namespace

TEST_F(TQTMCrashesTest, AWrapperExceptionSavedAtCrashTimeTravelsWithTheNextCrashLog)
{
    auto crashes = start();
    TQTMWrapperExceptionManager::saveWrapperExceptionAndCrashReport(wrapperExceptionOfThisProcess());
    EXPECT_EQ(logs.count("Crash report was saved successfully at path " + pendingReportPath().string()), 1u);

    quit();
    launch();
    crashes = start();
    const auto report = TQTMCrashes::lastSessionCrashReport();
    ASSERT_TRUE(report);
    // Paired with the report of its process: the last-saved file gives way to one of the incident.
    EXPECT_EQ(filesIn("crasheswrapperexceptions"),
              std::vector<fs::path>{sonvaleTelemetryDir() / "crasheswrapperexceptions" / *report->incidentIdentifier()});

    process(*crashes);
    flush();
    ASSERT_TRUE(server.waitForRequests(1));
    const auto sent = sentLogsOfType("appleError");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].at("exception").at("type"), "WrapperError");
    EXPECT_TRUE(filesIn("crasheswrapperexceptions").empty());
}

TEST_F(TQTMCrashesTest, WithoutASavedWrapperExceptionTheCrashLogHasNone)
{
    leavePendingReport();
    const auto crashes = start();
    EXPECT_GE(logs.count("Exception data report doesn't exist on disk. File name: last_saved_wrapper_exception"), 1u);
    process(*crashes);
    flush();
    ASSERT_TRUE(server.waitForRequests(1));
    const auto sent = sentLogsOfType("appleError");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_FALSE(sent[0].contains("exception"));
}

TEST_F(TQTMCrashesTest, AWrapperKeepsOnlyTheReportsItListsWaiting)
{
    leavePendingReport();
    const auto crashes = start();
    leavePendingReport();
    crashes->applyEnabledState(true);
    TQTMWrapperCrashesHelper::setAutomaticProcessing(false);
    process(*crashes);
    const auto waiting = TQTMWrapperCrashesHelper::unprocessedCrashReports();
    ASSERT_EQ(waiting.size(), 2u);
    ASSERT_EQ(filesIn("crashes").size(), 2u);

    EXPECT_FALSE(TQTMWrapperCrashesHelper::sendCrashReportsOrAwaitUserConfirmationForFilteredIds(
        {*waiting[1]->incidentIdentifier()}));
    const auto kept = crashes->unprocessedCrashReports();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0]->incidentIdentifier(), waiting[1]->incidentIdentifier());
    EXPECT_EQ(filesIn("crashes").size(), 1u);

    logs.clear();
    TQTMWrapperCrashesHelper::sendCrashReportsOrAwaitUserConfirmationForFilteredIds({});
    EXPECT_TRUE(crashes->unprocessedCrashReports().empty());
    EXPECT_TRUE(filesIn("crashes").empty());
    EXPECT_EQ(logs.count("Automatic crash processing is disabled and \"AlwaysSend\" is false. Awaiting user "
                         "confirmation."),
              0u);
    flush();
    EXPECT_TRUE(sentLogsOfType("appleError").empty());
}

TEST_F(TQTMCrashesTest, TheWrapperSetupDelegateDecidesOnTheUncaughtExceptionHandler)
{
    struct SetupDelegate final : TQTMCrashHandlerSetupDelegate {
        std::optional<bool> shouldEnableUncaughtExceptionHandler() override { return false; }
        void willSetUpCrashHandlers() override { calls.push_back("will"); }
        void didSetUpCrashHandlers() override { calls.push_back("did"); }
        std::vector<std::string> calls;
    };
    const auto delegate = std::make_shared<SetupDelegate>();
    TQTMWrapperCrashesHelper::setCrashHandlerSetupDelegate(delegate);
    start();
    TQTMWrapperCrashesHelper::setCrashHandlerSetupDelegate({});
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"will", "did"}));
    EXPECT_EQ(logs.count("EnableUncaughtExceptionHandler is set to NO, we're running in a managed runtime."), 1u);
}

TEST_F(TQTMCrashesTest, WithoutAutomaticProcessingReportsWaitUnaskedUntilConfirmed)
{
    leavePendingReport();
    std::atomic<int> asked = 0;
    TQTMCrashes::setUserConfirmationHandler([&](const TQTMCrashes::ErrorReports&) {
        ++asked;
        return false;
    });
    TQTMCrashes::sharedInstance()->setAutomaticProcessingEnabled(false);
    const auto crashes = start();
    process(*crashes);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(crashes->unprocessedCrashReports().size(), 1u);
    EXPECT_TRUE(std::ranges::any_of(logs.messages(), [](const std::string& message) {
        return message.starts_with("Automatic crash processing is disabled, storing the crash "
                                   "report for later processing");
    }));

    TQTMCrashes::notifyWithUserConfirmation(TQTMUserConfirmationSendOnce);
    flush();
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_EQ(sentLogsOfType("appleError").size(), 1u);
    EXPECT_TRUE(filesIn("crashes").empty());
}

namespace {

// Keeps the reports it is asked about when `keep` says so, and tells when a crash log was sent.
class SortingDelegate final : public TQTMCrashesDelegate {
public:
    explicit SortingDelegate(bool keep) : keep_(keep) {}
    bool crashesShouldProcessErrorReport(TQTMCrashes&, const TQTMErrorReport&) override
    {
        return keep_;
    }
    void crashesDidSucceedSendingErrorReport(TQTMCrashes&, const TQTMErrorReport& report) override
    {
        sent.set_value(report.incidentIdentifier().value_or(""));
    }
    std::promise<std::string> sent;

private:
    bool keep_;
};

} // namespace

TEST_F(TQTMCrashesTest, TheDelegateSortsReportsAndHearsOfTheirSending)
{
    leavePendingReport();
    const auto discarding = std::make_shared<SortingDelegate>(false);
    TQTMCrashes::setDelegate(discarding);
    auto crashes = start();
    process(*crashes);
    EXPECT_TRUE(crashes->unprocessedCrashReports().empty());
    EXPECT_TRUE(filesIn("crashes").empty());
    EXPECT_TRUE(std::ranges::any_of(logs.messages(), [](const std::string& message) {
        return message.starts_with("shouldProcessErrorReport returned NO, discard the crash report");
    }));

    quit();
    launch();
    leavePendingReport();
    const auto keeping = std::make_shared<SortingDelegate>(true);
    TQTMCrashes::setDelegate(keeping);
    crashes = start();
    const std::string incident = *TQTMCrashes::lastSessionCrashReport()->incidentIdentifier();
    process(*crashes);
    flush();
    auto sent = keeping->sent.get_future();
    ASSERT_EQ(sent.wait_for(60s), std::future_status::ready);
    EXPECT_EQ(sent.get(), incident);
}
