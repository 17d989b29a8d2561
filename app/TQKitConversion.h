#pragma once

// The conversion engine's calls that the front end makes: one converter for the life of the
// application, one list per batch. The handles are opaque; the application never looks inside.
// Every call takes the main thread's view of the engine and never blocks on conversion work.
//
// The engine library implements these; until it is linked in, tests and the development build use
// the scriptable stand-in of the same calls.

#include <cstddef>
#include <cstdint>

class TQKitConverter;
class TQKitConversionList;
struct TQTaskInfoRecord;

// States of TQKitConversionListState.
enum TQKitConversionListStateCode : int {
    kTQKitListStateNew = 0,
    kTQKitListStateWaiting = 1,
    kTQKitListStateConverting = 2,
    kTQKitListStateStopping = 3,
    kTQKitListStateFinished = 4,
};

// Creates the converter into `*slot`; `*slot` stays null when it cannot be created.
void TQKitConverterCreate(TQKitConverter** slot);
// Stops what still runs, frees the converter and clears `*slot`. A null slot or handle is ignored.
void TQKitConverterDestroy(TQKitConverter** slot);
// True when the converter runs no conversion process.
bool TQKitConverterIsIdle(const TQKitConverter* converter);
// How many conversion processes the converter still runs (0: none).
int TQKitConverterProcessCount(const TQKitConverter* converter);
// Forgets `list` on the converter's side (its window is gone).
void TQKitConverterReleaseList(TQKitConverter* converter, TQKitConversionList* list);

// A new empty list with one reference, the caller's, into `*out`; null when it cannot be created.
void TQKitConversionListCreate(TQKitConversionList** out);
void TQKitConversionListRetain(TQKitConversionList* list);
// Drops one reference; the last one frees the list.
void TQKitConversionListRelease(TQKitConversionList* list);
// The destination folder's stored access data (`length` bytes).
void TQKitConversionListSetDestination(TQKitConversionList* list, const void* accessData, size_t length);
// The list keeps its own copy of `record`.
void TQKitConversionListSetTaskInfo(TQKitConversionList* list, const TQTaskInfoRecord* record);
// Copies the list's record into `*record` (the defaults when it has none).
void TQKitConversionListGetTaskInfo(const TQKitConversionList* list, TQTaskInfoRecord* record);
// TQKitConversionListStateCode.
int32_t TQKitConversionListState(const TQKitConversionList* list);
// Asks the list to stop; its items end as stopped and the state moves on to finished.
void TQKitConversionListStop(TQKitConversionList* list);
bool TQKitConversionListIsStopped(const TQKitConversionList* list);
