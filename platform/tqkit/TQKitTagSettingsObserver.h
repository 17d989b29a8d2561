#pragma once

// The one observer of the tag settings: the Tags page registers it to reload when another page or
// a prompt saves the tag settings with notify. Only one registration exists; a new one replaces the
// old. Calls run on a thread of their own (never the caller's), one at a time, and several
// notifications that arrive before a call starts are delivered as one call.
//
// Clearing takes the registration that TQKitTagSettingsObserverSet returned, so a page going away
// never removes the observer a newer page registered. Once clear returns, no call reaches the
// cleared observer: a call that is running finishes first (unless the observer clears itself from
// inside its call, which returns at once). Safe from any thread.

#include <cstdint>

using TQKitTagSettingsObserverFunction = void (*)(void* context);

// Registers `function` with `context`, replacing any earlier registration, and returns the
// registration (never 0). A null function registers nothing and returns 0.
uint64_t TQKitTagSettingsObserverSet(TQKitTagSettingsObserverFunction function, void* context);
// Removes the registration when it is still the current one; any other value changes nothing.
void TQKitTagSettingsObserverClear(uint64_t registration);
// Schedules one call of the registered observer (TQKitTagSettingsSave with notify 1).
void TQKitTagSettingsObserverNotify();
