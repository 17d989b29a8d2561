#pragma once

// The application's own short sounds, played through Qt Multimedia. Main thread only.

#include <QString>

#include <functional>

// Plays the bundled sound `name` (the resource ":/sounds/<name>.wav"); when it cannot be played
// (no such sound, no audio output), the desktop's beep instead. While a sound recorder is
// installed, it receives the name instead and nothing is heard.
void TQKitPlayBundleSound(const QString& name);
using TQKitSoundRecorder = std::function<void(const QString& name)>;
void TQKitSetSoundRecorder(TQKitSoundRecorder recorder);

// True while a finishing sound would come on top of one that just played (within a second), so
// that batches ending together chime once. Not 0 means: do not play.
int TQKitFinishSoundSuppressed();
