#include "app/controls/TQLyrebook.h"

#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "platform/tqkit/TQKitRemoteParams.h"

#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

const QStringList kIdentifiers = {u"com.telquor.Lyrebook-FS"_s, u"com.telquor.Lyrebook"_s,
                                  u"com.telquor.Lyrebook-Free"_s, u"com.telquor.Lyrebook-Trial"_s,
                                  u"com.telquor.Lyrebook-Beta"_s};
constexpr char kStoreLink[] = "https://apps.telquor.com/store/app/531864207";
constexpr size_t kLinkLimit = 259;

} // namespace

QStringList TQLyrebookFindInstalled(int maxCount)
{
    QStringList found;
    for (const QString& identifier : kIdentifiers) {
        const QString entry =
            QStandardPaths::locate(QStandardPaths::ApplicationsLocation, identifier + u".desktop"_s);
        if (!entry.isEmpty() && !found.contains(identifier)) {
            found.append(identifier);
            if (maxCount == 1)
                break;
        }
    }
    return found;
}

bool TQLyrebookIsInstalled() { return !TQLyrebookFindInstalled(1).isEmpty(); }

std::string TQAppInfoReadLyrebookLink()
{
    std::string link = TQKitRemoteParamReadText("TQCAppLyrebookLink", "");
    if (link.empty())
        link = kStoreLink;
    return link.substr(0, kLinkLimit);
}

bool TQLyrebookOpenLink() { return TQKitOpenURL(QString::fromStdString(TQAppInfoReadLyrebookLink())); }

bool TQAppInfoReadNoYDFlag() { return TQKitRemoteParamReadInt("TQCAppNoYD", 0) != 0; }
