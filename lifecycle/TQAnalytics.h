#pragma once

// Usage statistics as the front end calls them. This build records the posted event names in
// memory and sends nothing; the sender, its store and the conversion statistics come later behind
// the same calls. Safe from any thread.

#include <string>
#include <vector>

class TQKitConversionList;

// Records one usage event ("ae_..."); a null or empty name records nothing. Never fails.
void TQAnalyticsPostEvent(const char* name);
// Stops the event sender and saves its state; called once by the process exit handler.
void TQAnalyticsShutdown();
// The names recorded so far in this process, oldest first.
std::vector<std::string> TQAnalyticsPostedEvents();

// Conversion statistics of a batch; nothing happens for a null list.
void TQStatsSendConversionPreferenceEvents(TQKitConversionList* list);
void TQStatsSendSourceTypeEvents(TQKitConversionList* list);
