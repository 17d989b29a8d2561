#pragma once

// Conversion statistics: usage events that describe one batch, posted through
// TQAnalyticsPostEventWithSuffix (so the per-name interval keeps repeated batches from recording a
// name more than once per interval). Both entries only post events. Any thread.

class TQKitConversionList;

// The settings in force, the processor count and the size and kinds of the source list; called
// before the list is handed to the converter. Nothing happens for a null list.
void TQStatsSendConversionPreferenceEvents(TQKitConversionList* list);
// The file types converted, failed and failed for copy protection; called when the list has
// finished. Nothing happens for a null list.
void TQStatsSendSourceTypeEvents(TQKitConversionList* list);
