#include "platform/tqkit/TQKitProgressTracker.h"

#include <algorithm>
#include <cmath>

std::string TQKitProgressTracker::statusText() const
{
    std::lock_guard lock(textMutex_);
    return statusText_;
}

void TQKitProgressTracker::setStatusText(std::string text)
{
    std::lock_guard lock(textMutex_);
    statusText_ = std::move(text);
}

void TQKitProgressTracker::setProgress(double value)
{
    progress_.store(std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0));
}
