// The crash service's side of the crash log buffer: preparing the slots and their files, keeping
// each prepared log until it is stored, and sending the files of a crashed run again.
//
// A slot is freed only after the store has the log, so a crash between the two leaves a log in
// its file that the store holds too. Sending the files again therefore asks the store first: a
// log whose exact archive bytes are stored already is not stored a second time. Equal bytes mean
// an equal log in every field, its time (to the nanosecond), session and device included. The
// test is made on the group's queue, just before the unit would save the log, where the store is
// used. Bytes that differ (the log changed between its buffering and its saving), or a stored copy
// already sent and deleted, let the log be sent again: at worst twice, as before.

#include "crashes/TQTMCrashes.h"

#include "crashes/TQTMAppleErrorLog.h"
#include "crashes/TQTMCrashesLogBuffer.h"
#include "crashes/TQTMErrorAttachmentLog.h"
#include "platform/system/AtomicFile.h"
#include "telemetry/TQTMChannelProtocol.h"
#include "telemetry/TQTMEncrypter.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMStorage.h"
#include "telemetry/TQTMUtility.h"

#include <algorithm>
#include <chrono>

#include <unistd.h>

namespace {

std::string tokenPathFor(std::string logPath)
{
    const std::string from = TQTMCrashesLogBuffer::kLogExtension;
    const std::string to = TQTMCrashesLogBuffer::kTokenExtension;
    for (size_t at = logPath.find(from); at != std::string::npos;
         at = logPath.find(from, at + to.size()))
        logPath.replace(at, from.size(), to);
    return logPath;
}

std::string describe(const TQTMAbstractLog& log)
{
    return "(sid: " + log.sid().value_or("(null)") + ", type: " + log.type().value_or("(null)") +
           ")";
}

} // namespace

void TQTMCrashes::setupLogBuffer()
{
    std::lock_guard lock(mutex_);
    for (size_t n = 0; n < TQTMCrashesLogBuffer::kSlotCount; ++n) {
        const std::string component = logBufferPathComponent_ + "/" + std::to_string(n) + "." +
                                      TQTMCrashesLogBuffer::kLogExtension;
        const auto url = TQTMUtility::fullURLForPathComponent(component);
        if (!url)
            continue;
        // An existing file keeps what a crash wrote into it until the start sends it.
        TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(component, {},
                                                                               false, false);
        TQTMCrashesLogBuffer::setSlotPaths(n, url->string(), tokenPathFor(url->string()));
    }
}

void TQTMCrashes::channelDidPrepareLogInternalIdFlags(TQTMChannelProtocol&,
                                                      const std::shared_ptr<TQTMAbstractLog>& log,
                                                      const std::string& internalId, uint32_t)
{
    if (!log || !isEnabled())
        return;
    if (dynamic_cast<TQTMAppleErrorLog*>(log.get()) ||
        dynamic_cast<TQTMErrorAttachmentLog*>(log.get()))
        return;
    std::lock_guard lock(mutex_);
    std::optional<TQTMData> archive = TQTMUtility::archiveKeyedData(log.get());
    if (!archive || archive->empty())
        return;
    std::string token;
    if (const auto tokens = log->transmissionTargetTokens(); tokens && !tokens->empty())
        token = targetTokenEncrypter_->encryptString(*tokens->begin()).value_or("");
    TQTMLogVerbose(kLogTag, "Storing a log to Crashes Buffer: " + describe(*log));
    const double now =
        std::chrono::duration<double>(clock_.now().time_since_epoch()).count();
    TQTMCrashesLogBuffer::fill(std::move(*archive), std::move(token), internalId, now);
}

void TQTMCrashes::channelDidCompleteEnqueueingLogInternalId(
    TQTMChannelProtocol&, const std::shared_ptr<TQTMAbstractLog>& log, const std::string& internalId)
{
    std::lock_guard lock(mutex_);
    for (size_t index : TQTMCrashesLogBuffer::freeSlotsWithInternalId(internalId)) {
        TQTMLogVerbose(kLogTag, "Deleting a log from buffer with id " + internalId);
        if (!TQTMCrashesLogBuffer::crashed())
            continue;
        const std::string path = TQTMCrashesLogBuffer::logFilePath(index);
        ::unlink(path.c_str());
        if (log)
            TQTMLogVerbose(kLogTag, "Deleted a log from Crashes Buffer " + describe(*log));
        TQTMLogVerbose(kLogTag, "Deleted crash buffer file: " + path + ".");
    }
}

bool TQTMCrashes::channelUnitShouldFilterLog(TQTMChannelUnitProtocol&,
                                             const std::shared_ptr<TQTMAbstractLog>& log)
{
    std::optional<std::vector<uint8_t>> buffered;
    {
        std::lock_guard lock(mutex_);
        const auto entry = std::ranges::find_if(resentFromBuffer_, [&](const auto& candidate) {
            return candidate.first.lock() == log;
        });
        if (entry == resentFromBuffer_.end())
            return false;
        buffered = std::move(entry->second);
        resentFromBuffer_.erase(entry);
    }
    const auto group = channelGroup();
    if (!group || !group->storage() || !group->storage()->hasLogArchivedAs(*buffered))
        return false;
    TQTMLogDebug(kLogTag, "Buffered log is stored already and is not stored again, type: " +
                              log->type().value_or("(null)") + ".");
    return true;
}

void TQTMCrashes::processLogBufferAfterCrash()
{
    std::lock_guard lock(mutex_);
    const auto group = channelGroup();
    if (!group)
        return;
    bufferChannelUnit_ = group->addChannelUnitWithConfiguration(
        TQTMChannelUnitConfiguration(kBufferGroupId, 2, 1, 50, 1));
    const auto entries = TQTMUtility::contentsOfDirectory(logBufferPathComponent_);
    if (!entries)
        return;
    for (const std::filesystem::path& entry : *entries) {
        if (entry.extension() != std::string(".") + TQTMCrashesLogBuffer::kLogExtension)
            continue;
        const std::string component = logBufferPathComponent_ + "/" + entry.filename().string();
        const std::optional<TQTMData> bytes = TQTMUtility::loadDataForPathComponent(component);
        if (bytes && !bytes->empty()) {
            const auto log = TQTMUtility::unarchiveKeyedData<TQTMAbstractLog>(bytes);
            if (!log) {
                TQTMLogError(kTQTMCoreLogTag,
                             "Deserialization failed for log: The log deserialized to NULL.");
                continue;
            }
            const std::filesystem::path tokenFile = tokenPathFor(entry.string());
            if (const auto token = sonvale::readWholeFile(tokenFile)) {
                if (const auto decrypted = targetTokenEncrypter_->decryptString(*token))
                    log->addTransmissionTargetToken(*decrypted);
                else
                    TQTMLogError(kTQTMCoreLogTag, "Failed to decrypt the target token.");
                TQTMUtility::deleteFileAtURL(tokenFile);
            }
            TQTMLogDebug(kLogTag,
                         "Re-enqueueing buffered log, type: " + log->type().value_or("(null)") + ".");
            // Remembered first: the unit may ask about it on its queue before the enqueue returns.
            std::erase_if(resentFromBuffer_, [](const auto& entry) { return entry.first.expired(); });
            resentFromBuffer_.emplace_back(log, *bytes);
            bufferChannelUnit_->enqueueItemFlags(log, 1);
        }
        TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(component, {}, false,
                                                                               true);
    }
}

void TQTMCrashes::emptyLogBufferFiles()
{
    std::lock_guard lock(mutex_);
    const auto entries = TQTMUtility::contentsOfDirectory(logBufferPathComponent_);
    if (!entries) {
        TQTMLogError(kLogTag,
                     "Couldn't get files in the directory \"" + logBufferPathComponent_ + "\"");
        return;
    }
    for (const std::filesystem::path& entry : *entries) {
        std::error_code error;
        if (entry.extension() != std::string(".") + TQTMCrashesLogBuffer::kLogExtension ||
            std::filesystem::file_size(entry, error) == 0 || error)
            continue;
        TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
            logBufferPathComponent_ + "/" + entry.filename().string(), {}, false, true);
    }
}
