#include "platform/tqkit/TQKitUpdateInfo.h"

#include "platform/tqkit/TQKitRemoteParams.h"

#include <cstdlib>

namespace {

std::string text(const char* name) { return TQKitRemoteParamReadText(name, ""); }
int number(const char* name) { return TQKitRemoteParamReadInt(name, 0); }
bool flag(const char* name) { return TQKitRemoteParamReadInt(name, 0) != 0; }
// 64-bit values come as text so that they are not cut to an int.
int64_t number64(const char* name) { return std::atoll(text(name).c_str()); }

} // namespace

std::string TQKitUpdateTextURL() { return text("TQKitUpdateTextURL"); }
std::string TQKitUpdateDownloadURL() { return text("TQKitUpdateDownloadURL"); }
std::string TQKitUpdatePageURL() { return text("TQKitUpdatePageURL"); }
std::string TQKitUpdateTitleText() { return text("TQKitUpdateTitleText"); }
std::string TQKitUpdateMessageText() { return text("TQKitUpdateMessageText"); }
int TQKitUpdateBuildNumber() { return number("TQKitUpdateBuildNumber"); }

TQKitUpdateWindowInfo TQKitUpdateWindowInfoRead()
{
    TQKitUpdateWindowInfo info;
    info.title = text("TQKitUpdateWindowTitle");
    info.width = number("TQKitUpdateWindowWidth");
    info.height = number("TQKitUpdateWindowHeight");
    info.skipText = text("TQKitUpdateWindowSkipText");
    info.skipWidth = number("TQKitUpdateWindowSkipWidth");
    info.remindText = text("TQKitUpdateWindowRemindText");
    info.remindWidth = number("TQKitUpdateWindowRemindWidth");
    info.installText = text("TQKitUpdateWindowInstallText");
    info.installWidth = number("TQKitUpdateWindowInstallWidth");
    info.value64 = number64("TQKitUpdateWindowV64");
    info.countdown = number64("TQKitUpdateWindowCountdown");
    info.background[0] = number("TQKitUpdateWindowBackgroundR");
    info.background[1] = number("TQKitUpdateWindowBackgroundG");
    info.background[2] = number("TQKitUpdateWindowBackgroundB");
    info.minTitleHeight = number("TQKitUpdateWindowMinTitleHeight");
    info.minMessageHeight = number("TQKitUpdateWindowMinMessageHeight");
    info.stayInFront = flag("TQKitUpdateWindowStayInFront");
    info.hideIcon = flag("TQKitUpdateWindowHideIcon");
    info.notClosable = flag("TQKitUpdateWindowNotClosable");
    info.notMiniaturizable = flag("TQKitUpdateWindowNotMiniaturizable");
    info.installWithoutAsking = flag("TQKitUpdateWindowInstallWithoutAsking");
    info.iconClickInstalls = flag("TQKitUpdateWindowIconClickInstalls");
    info.linksOpenOutside = flag("TQKitUpdateWindowLinksOpenOutside");
    return info;
}
