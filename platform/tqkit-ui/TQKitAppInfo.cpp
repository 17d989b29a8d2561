#include "platform/tqkit-ui/TQKitAppInfo.h"

namespace {

TQKitAppInfo& stored()
{
    static TQKitAppInfo info;
    return info;
}

} // namespace

QString TQKitAppInfo::version() const { return versionId.section(QLatin1Char('-'), -1); }

const TQKitAppInfo& TQKitAppInfo::current() { return stored(); }

void TQKitAppInfo::setCurrent(TQKitAppInfo info) { stored() = std::move(info); }
