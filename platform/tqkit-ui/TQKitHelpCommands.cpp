#include "platform/tqkit-ui/TQKitHelpCommands.h"

#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "platform/tqkit/TQKitRemoteParams.h"

#include <QString>

#include <sstream>

bool TQKitHelpCommandsGet(std::vector<TQKitHelpEntry>& entries, const char* keyword)
{
    entries.clear();
    if (keyword == nullptr || *keyword == '\0')
        return false;
    std::istringstream lines(TQKitRemoteParamReadText((std::string("TQCAppHelp_") + keyword).c_str(), ""));
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "-") {
            entries.push_back({"-", "-", "-", 0});
            continue;
        }
        const size_t bar = line.find('|');
        if (bar == std::string::npos)
            continue;
        const int tag = std::atoi(line.substr(0, bar).c_str());
        if (tag > 0)
            entries.push_back({"cmd" + std::to_string(tag), line.substr(bar + 1), "", tag});
    }
    return !entries.empty();
}

bool TQKitMenuCommandPerform(int tag)
{
    if (tag <= 0)
        return false;
    const std::string url = TQKitRemoteParamReadText(("TQCAppHelpURL_" + std::to_string(tag)).c_str(), "");
    return TQKitOpenURL(QString::fromStdString(url));
}
