#pragma once

// A scripted stand-in of the conversion engine's calls, for window tests that decide themselves
// what the engine reports. It implements the engine's own declarations over handles of its own:
// converters convert nothing, lists hold a batch record, items made from real files, a state and
// one callback; a test completes items and sends callbacks itself. Setting a callback waits for
// calls running on other threads, as the engine does. Safe from any thread.

#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConversionListItem.h"
#include "platform/engine/TQKitConverter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sonvale::test::engine {

// Back to a fresh engine: nothing fails, no process runs, the capacity is free, the artwork is
// complete and no list counts as started. Lists and converters still alive stay counted.
void reset();

// Converter or list creations fail (leave their slot null) until told otherwise.
void setConverterCreateFails(bool fails);
void setListCreateFails(bool fails);
// What every converter reports as running processes; 0 makes it idle.
void setProcessCount(int count);
// The engine cannot take another list now (TQKitConversionCapacityCritical).
void setCapacityCritical(bool critical);
// Whether the batch lacks artwork that a network look-up could add (TQKitArtworkDownloadUseful).
void setArtworkDownloadUseful(bool useful);

// Lists and converters created through the engine's calls and not yet freed.
int liveListCount();
int liveConverterCount();
// How often TQKitClearCaches was called since the last reset.
int cacheClearingCount();

// A converter that lives as long as the process.
TQKitConverter* converter();
// A new list with one reference (the caller's) and a record from TQKitTaskInfoInit with
// `destination` as its folder.
TQKitConversionList* createList(const std::string& destination);
int referenceCount(const TQKitConversionList* list);
// The destination access data the list was given, as text.
std::string listDestination(const TQKitConversionList* list);

// Calls the list's callback on this thread; -1 without one.
int notify(TQKitConversionList* list, uint32_t type, void* data = nullptr);
// The state the list reports; a stopped list reports finished.
void setListState(TQKitConversionList* list, int32_t state);
// Lists handed to TQKitConversionStart, oldest first.
std::vector<TQKitConversionList*> startedLists();

std::vector<TQKitConversionListItem*> items(const TQKitConversionList* list);
void setItemStatus(TQKitConversionListItem* item, int status);
void setItemProgress(TQKitConversionListItem* item, double progress);
// Status 9 with its completion name, flags and result file; counts as succeeded with flag 0x40.
void completeItem(TQKitConversionListItem* item, const std::string& name, uint32_t flags,
                  const std::string& resultPath = {});
// Whether the item's callback is registered.
bool itemHasCallback(const TQKitConversionListItem* item);

} // namespace sonvale::test::engine
