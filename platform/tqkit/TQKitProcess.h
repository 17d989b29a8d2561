#pragma once

// What the process tells TQKit before the application starts: start-up flags, the identifier
// pattern of the numbered conversion services and the application group shared with them. Called
// on the main thread before any other thread exists; read from any thread afterwards.

#include <cstddef>
#include <string>

int TQKitEarlyInit(int flags);
int TQKitEarlyConfigure(int flags);
// `pattern` holds one %02i for the service number, e.g. "com.telquor.SonvaleXPC%02i".
void TQKitServicePatternSet(const char* pattern, size_t length);
void TQKitAppGroupSet(const char* group, size_t length);
// Told once the application delegate exists.
void TQKitDelegateCreated();

std::string TQKitServicePattern();
std::string TQKitAppGroup();
