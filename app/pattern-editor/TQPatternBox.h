#pragma once

// The New Pattern and Edit Pattern boxes: a compose view (TQTagLibTextComposeView) shown as the
// accessory of an alert over a window, with "Save" and "Cancel". The completion receives the
// composed pattern, with its case and spacing modifiers written in, when the person saves, and no
// value otherwise. Main thread only.

#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

using TQPatternBoxCompletion = std::function<void(const std::optional<QString>& pattern)>;

// The box starts with `pattern`, or "{{artist}}/{{album}}" when it is empty. `texts` is the host's
// text dictionary for the compose view (TQPatternBoxMessages adds the message to it).
void TQPatternBoxShowAlert(const QString& pattern, uint32_t patternFlags, QWidget* parent, const QString& title,
                           const QString& message, const QVariantMap& texts, TQPatternBoxCompletion completion);

// The compose view's texts: `texts` with `message` (its line breaks made blanks) as the help text
// of the token field and of the view, unless `texts` has its own.
QVariantMap TQPatternBoxMessages(const QVariantMap& texts, const QString& message);
