#pragma once

#include "platform/tqkit-ui/TQKitReachability.h"

#include <QObject>

#include <atomic>

// Reachability as the system's network information tells it (NetworkManager through Qt). Without
// a backend the state stays unknown, which counts as reachable. A network that reaches only the
// local link has no way out to the internet and counts as offline. Built on the main thread, where
// the changes arrive; read from any thread.
class TQKitReachabilityQt final : public QObject, public TQKitReachability {
    Q_OBJECT

public:
    explicit TQKitReachabilityQt(QObject* parent = nullptr);

    bool isReachable() const override { return reachable_.load(); }

private:
    std::atomic<bool> reachable_{true};
};
