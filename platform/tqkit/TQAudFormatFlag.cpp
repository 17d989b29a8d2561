#include "platform/tqkit/TQAudFormatFlag.h"

#include "platform/tqkit/TQKitSettings.h"

#include <cstdlib>
#include <string>

namespace {

constexpr const char* kSection = "TQAudFormatPanelController";
constexpr const char* kKey = "FormatSelected";

} // namespace

int TQAudFormatSelectedRead()
{
    const std::string text = TQKitSettingReadText(kSection, kKey, "");
    return text.empty() ? 0 : static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

void TQAudFormatSelectedWrite(int format) { TQKitSettingWriteInt(kSection, kKey, format); }
