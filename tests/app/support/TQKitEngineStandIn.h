#pragma once

// A scriptable stand-in of the conversion engine's calls (app/TQKitConversion.h): it converts
// nothing, keeps what it is told and lets a test decide what the engine reports. Main thread only.

#include "app/TQKitConversion.h"

#include <string>

namespace sonvale::test::engine {

// Back to a fresh engine: nothing fails, no process runs. Lists still alive are kept counted.
void reset();

// Converter or list creations fail (leave their slot null) until told otherwise.
void setConverterCreateFails(bool fails);
void setListCreateFails(bool fails);

// What every converter reports as running processes; 0 makes it idle.
void setProcessCount(int count);

// Lists and converters created and not yet freed.
int liveListCount();
int liveConverterCount();

// The state a list reports; a stopped list reports finished.
void setListState(TQKitConversionList* list, int state);
// The destination data the list was given, as text.
std::string listDestination(const TQKitConversionList* list);
int listReferenceCount(const TQKitConversionList* list);

} // namespace sonvale::test::engine
