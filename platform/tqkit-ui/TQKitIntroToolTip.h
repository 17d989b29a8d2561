#pragma once

// Introductory tips: a small bubble beside a control that explains it once. Each tip (by its
// identifier) is offered many times but shown at most once ever, and only after it has been
// offered "ITTDelayShows" times (0: at once); what was shown and how often each was offered is
// kept in section "TQKitIntroToolTips". Main thread only. The bubble's object name is
// "introToolTip".

#include <QVariantMap>

#include <functional>

class QString;
class QWidget;

// Offers the tip `identifier` at `anchor`, described by "title", "message", "defaultButton"
// (optional) and "ITTDelayShows". The tip's button runs `action` after 0.3 s and closes the tip.
// True when the tip is shown now.
bool TQKitShowIntroToolTip(QWidget* anchor, const QString& identifier, const QVariantMap& description,
                           std::function<void()> action);

// True once the tip `identifier` has been shown.
bool TQKitIntroToolTipWasShown(const QString& identifier);
