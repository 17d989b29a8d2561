#include "platform/tqkit-ui/TQKitApplicationFacts.h"

#include "platform/system/AppInfo.h"
#include "platform/system/XdgPaths.h"
#include "platform/tqkit-ui/TQKitAppInfo.h"
#include "platform/tqkit/TQKitSettings.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <ctime>

using namespace Qt::StringLiterals;

QString TQKitApplicationName() { return u"Sonvale"_s; }

std::string TQKitApplicationNameUTF8() { return TQKitApplicationName().toStdString(); }

std::string TQKitApplicationVersion()
{
    return sonvale::AppInfo::main().stringForInfoDictionaryKey(sonvale::AppInfo::kShortVersionKey).value_or("");
}

int TQKitApplicationBuildNumber()
{
    return std::atoi(
        sonvale::AppInfo::main().stringForInfoDictionaryKey(sonvale::AppInfo::kVersionKey).value_or("0").c_str());
}

QIcon TQKitApplicationIcon() { return QApplication::windowIcon(); }

std::string TQKitApplicationSupportDirectory() { return sonvale::sonvaleDataDir().string(); }

std::string TQKitPackageFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = QDir::homePath();
    return folder.toStdString();
}

QString TQKitSupportURL() { return TQKitAppInfo::current().supportPageUrl; }

QString TQKitProductPageURL() { return TQKitAppInfo::current().productPageUrl; }

void TQKitNoteProductPageOpened()
{
    TQKitSettingWriteInt64("TQSetting", "ProductPageOpenedTimeStamp", static_cast<int64_t>(std::time(nullptr)));
}

std::string TQKitRatingAppId() { return {}; }

int TQKitRatingGateCountA() { return TQKitSettingReadInt("TQSetting", "LaunchCount", 0); }

int TQKitRatingGateCountB() { return TQKitSettingReadInt("TQSetting", "LaunchDayCount", 0); }

void TQKitNoteLaunch()
{
    TQKitSettingWriteInt("TQSetting", "LaunchCount", TQKitRatingGateCountA() + 1);
    const int64_t today = static_cast<int64_t>(std::time(nullptr)) / 86400;
    if (TQKitSettingReadInt64("TQSetting", "LaunchDay", 0) != today) {
        TQKitSettingWriteInt64("TQSetting", "LaunchDay", today);
        TQKitSettingWriteInt("TQSetting", "LaunchDayCount", TQKitRatingGateCountB() + 1);
    }
}
