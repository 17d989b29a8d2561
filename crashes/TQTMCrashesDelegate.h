#pragma once

#include <memory>
#include <optional>
#include <vector>

class TQTMCrashes;
class TQTMErrorAttachmentLog;
class TQTMErrorReport;
struct TQTMError;

// What the application may tell the crash service about each crash report, and what it is told
// while the report's crash log is sent. Every method has a default that answers as a delegate
// without that method would. The send callbacks come on the main thread; the others on the
// crash processing thread.
class TQTMCrashesDelegate {
public:
    virtual ~TQTMCrashesDelegate() = default;

    // False discards the report unsent.
    virtual bool crashesShouldProcessErrorReport(TQTMCrashes&, const TQTMErrorReport&)
    {
        return true;
    }
    // The files to send with the report; nothing when the delegate does not attach any.
    virtual std::optional<std::vector<std::shared_ptr<TQTMErrorAttachmentLog>>>
    attachmentsWithCrashesForErrorReport(TQTMCrashes&, const TQTMErrorReport&)
    {
        return std::nullopt;
    }
    virtual void crashesWillSendErrorReport(TQTMCrashes&, const TQTMErrorReport&) {}
    virtual void crashesDidSucceedSendingErrorReport(TQTMCrashes&, const TQTMErrorReport&) {}
    virtual void crashesDidFailSendingErrorReportWithError(TQTMCrashes&, const TQTMErrorReport&,
                                                          const std::optional<TQTMError>&)
    {
    }
};
