#include "platform/tqkit-ui/TQKitReachability.h"

#include <atomic>

namespace {

class AlwaysReachable final : public TQKitReachability {
public:
    bool isReachable() const override { return true; }
};

std::atomic<const TQKitReachability*> installedSource{nullptr};

} // namespace

const TQKitReachability& TQKitReachability::current()
{
    static const AlwaysReachable unknown;
    const TQKitReachability* source = installedSource.load();
    return source ? *source : unknown;
}

void TQKitReachability::install(const TQKitReachability* source) { installedSource.store(source); }

bool TQKitIsNetworkReachable() { return TQKitReachability::current().isReachable(); }
