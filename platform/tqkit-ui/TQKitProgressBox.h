#pragma once

// A small progress box over a window (window-modal) or on its own: a title, a detail line, a bar
// (indeterminate or a fraction) and, when cancellable, a Cancel button. Main thread only; the box
// is owned by whoever created it and closed by TQKitProgressBoxClose, which also frees it.

#include <functional>

class QWidget;
class TQKitProgressBox;
using TQProgressBoxRefTag = TQKitProgressBox*;

TQProgressBoxRefTag TQKitProgressBoxCreate();
void TQKitProgressBoxSetIndeterminate(TQProgressBoxRefTag box, int indeterminate);
// Mode 1: a bar that will show a fraction once progress arrives.
void TQKitProgressBoxSetBarMode(TQProgressBoxRefTag box, int mode);
void TQKitProgressBoxSetCancellable(TQProgressBoxRefTag box, int cancellable);
// Runs when the user presses Cancel (the box stays open; its owner closes it).
void TQKitProgressBoxSetCancelHandler(TQProgressBoxRefTag box, std::function<void()> handler);
void TQKitProgressBoxSetTitle(TQProgressBoxRefTag box, const char* title);
void TQKitProgressBoxSetDetail(TQProgressBoxRefTag box, const char* detail);
// A fraction from 0 to 1; ends the indeterminate state.
void TQKitProgressBoxSetProgress(TQProgressBoxRefTag box, double fraction);
void TQKitProgressBoxShow(TQProgressBoxRefTag box, QWidget* parent);
bool TQKitProgressBoxIsCancelled(TQProgressBoxRefTag box);
void TQKitProgressBoxClose(TQProgressBoxRefTag box);
