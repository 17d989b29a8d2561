#pragma once

// A scripted stand-in of the conversion engine's calls that the progress window makes
// (app/TQCAppProgressWindowEngine.h), for window tests that decide themselves what the engine
// reports. Lists hold a batch record, items made from real files, a state and one callback;
// nothing is converted: a test completes items and sends callbacks itself. Setting a callback
// waits for calls running on other threads, as the engine does. Safe from any thread.

#include "app/TQCAppProgressWindowEngine.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sonvale::test::engine {

TQKitConverter* converter();
// A new list with one reference (the caller's) and a record from TQKitTaskInfoInit with
// `destination` as its folder.
TQKitConversionList* createList(const std::string& destination);
int referenceCount(const TQKitConversionList* list);

// Calls the list's callback on this thread; -1 without one.
int notify(TQKitConversionList* list, uint32_t type, void* data = nullptr);
void setState(TQKitConversionList* list, int32_t state);
// The engine cannot take another list now (TQKitConversionCapacityCritical).
void setCapacityCritical(bool critical);
// Lists handed to TQKitConversionStart, oldest first.
std::vector<TQKitConversionList*> startedLists();
void forgetStartedLists();

std::vector<TQKitConversionListItem*> items(const TQKitConversionList* list);
void setItemStatus(TQKitConversionListItem* item, int status);
void setItemProgress(TQKitConversionListItem* item, double progress);
// Status 9 with its completion name, flags and result file; counts as succeeded with flag 0x40.
void completeItem(TQKitConversionListItem* item, const std::string& name, uint32_t flags,
                  const std::string& resultPath = {});
// Whether the item's callback is registered.
bool itemHasCallback(const TQKitConversionListItem* item);

} // namespace sonvale::test::engine
