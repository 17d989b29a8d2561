#pragma once

#include <cstdint>

// The name under which a tag field travels in a tag list between the application and the engine
// (list callback types 16 and 17), by its tag identifier; null for an identifier without a field.
// The names are the engine's common property names, so a list answered by the application is
// written without further translation.
const char* TQKitTagName(uint32_t tagId);
