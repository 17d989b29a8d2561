// A wrapper SDK keeps only the waiting crash reports it wants sent.

#include "crashes/TQTMCrashes.h"

#include "crashes/TQTMErrorReport.h"

#include <algorithm>

bool TQTMCrashes::sendCrashReportsOrAwaitUserConfirmationForFilteredIds(const std::vector<std::string>& filteredIds)
{
    {
        std::lock_guard lock(mutex_);
        if (unprocessed_) {
            std::erase_if(*unprocessed_, [&](const WaitingReport& waiting) {
                const auto& incident = waiting.report->incidentIdentifier();
                if (incident && std::ranges::find(filteredIds, *incident) != filteredIds.end())
                    return false;
                deleteWrapperExceptionOf(*waiting.report);
                deleteCrashReportWithFileURL(waiting.file);
                std::erase(crashFiles_, waiting.file);
                return true;
            });
        }
    }
    return sendCrashReportsOrAwaitUserConfirmation();
}
