#include "crashes/TQTMWrapperExceptionManager.h"

#include "crashcapture/TQCrashReporter.h"
#include "crashes/TQTMCrashes.h"
#include "crashes/TQTMErrorReport.h"
#include "crashes/TQTMWrapperException.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMUtility.h"

#include <filesystem>
#include <map>
#include <mutex>

namespace {

std::mutex gMutex;
tqcrash::TQCrashReporter* gCrashReporter = nullptr;
// Incident identifier to the exception paired with that report in this run.
std::map<std::string, std::shared_ptr<TQTMWrapperException>>& pairedExceptions()
{
    static std::map<std::string, std::shared_ptr<TQTMWrapperException>> exceptions;
    return exceptions;
}

std::string pathComponentFor(const std::string& name) { return TQTMCrashes::wrapperExceptionsDir() + "/" + name; }

} // namespace

void TQTMWrapperExceptionManager::setCrashReporter(tqcrash::TQCrashReporter* crashReporter)
{
    std::lock_guard lock(gMutex);
    gCrashReporter = crashReporter;
}

void TQTMWrapperExceptionManager::saveWrapperException(const TQTMWrapperException& exception)
{
    saveWrapperExceptionWithBaseFilename(exception, kLastSavedFileName);
}

void TQTMWrapperExceptionManager::saveWrapperExceptionWithBaseFilename(const TQTMWrapperException& exception,
                                                                       const std::string& name)
{
    if (const auto data = TQTMUtility::archiveKeyedData(&exception))
        TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(pathComponentFor(name), *data, true, true);
}

std::shared_ptr<TQTMWrapperException> TQTMWrapperExceptionManager::loadWrapperExceptionWithBaseFilename(const std::string& name)
{
    const std::string component = pathComponentFor(name);
    if (!TQTMUtility::fileExistsForPathComponent(component)) {
        TQTMLogError(TQTMCrashes::kLogTag, "Exception data report doesn't exist on disk. File name: " + name);
        return nullptr;
    }
    auto exception = TQTMUtility::unarchiveKeyedData<TQTMWrapperException>(TQTMUtility::loadDataForPathComponent(component));
    if (!exception) {
        TQTMLogError(TQTMCrashes::kLogTag, "Could not read exception data stored on disk with file name " + name);
        TQTMUtility::deleteItemForPathComponent(component);
    }
    return exception;
}

std::shared_ptr<TQTMWrapperException> TQTMWrapperExceptionManager::loadWrapperExceptionWithUUIDString(const std::string& uuid)
{
    {
        std::lock_guard lock(gMutex);
        if (const auto paired = pairedExceptions().find(uuid); paired != pairedExceptions().end())
            return paired->second;
    }
    return loadWrapperExceptionWithBaseFilename(uuid);
}

void TQTMWrapperExceptionManager::deleteWrapperExceptionWithUUIDString(const std::string& uuid)
{
    deleteWrapperExceptionWithBaseFilename(uuid);
}

void TQTMWrapperExceptionManager::deleteWrapperExceptionWithBaseFilename(const std::string& name)
{
    TQTMUtility::deleteItemForPathComponent(pathComponentFor(name));
}

void TQTMWrapperExceptionManager::deleteAllWrapperExceptions()
{
    TQTMUtility::deleteItemForPathComponent(TQTMCrashes::wrapperExceptionsDir());
}

void TQTMWrapperExceptionManager::correlateLastSavedWrapperExceptionToReport(
    const std::vector<std::shared_ptr<TQTMErrorReport>>& reports)
{
    const auto exception = loadWrapperExceptionWithBaseFilename(kLastSavedFileName);
    if (!exception)
        return;
    deleteWrapperExceptionWithBaseFilename(kLastSavedFileName);
    for (const auto& report : reports) {
        if (!report || !report->incidentIdentifier() || !exception->processId() ||
            report->appProcessIdentifier() != static_cast<uint64_t>(*exception->processId()))
            continue;
        {
            std::lock_guard lock(gMutex);
            pairedExceptions()[*report->incidentIdentifier()] = exception;
        }
        saveWrapperExceptionWithBaseFilename(*exception, *report->incidentIdentifier());
        return;
    }
}

void TQTMWrapperExceptionManager::saveWrapperExceptionAndCrashReport(const TQTMWrapperException& exception)
{
    tqcrash::TQCrashReporter* reporter = nullptr;
    {
        std::lock_guard lock(gMutex);
        reporter = gCrashReporter;
    }
    if (reporter == nullptr) {
        TQTMLogError(kTQTMCoreLogTag, "Failed to save the crash report. CrashReporter wasn't initialized.");
        return;
    }
    saveWrapperException(exception);
    const std::filesystem::path reportPath = reporter->crashReportPath();
    const std::filesystem::path folder = reportPath.parent_path();
    if (!TQTMUtility::createDirectoryAtURL(folder)) {
        TQTMLogError(kTQTMCoreLogTag, "Couldn't create a directory at path " + folder.string());
        return;
    }
    // Without bytes nothing is written: an empty file would stand for a report at the next start.
    const auto report = reporter->generateLiveReport();
    if (report && TQTMUtility::createFileAtPathContents(reportPath, *report))
        TQTMLogError(kTQTMCoreLogTag, "Crash report was saved successfully at path " + reportPath.string());
    else
        TQTMLogError(kTQTMCoreLogTag, "Couldn't save crash report at path " + reportPath.string());
}
