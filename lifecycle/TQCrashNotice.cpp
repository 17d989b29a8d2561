#include "lifecycle/TQCrashNotice.h"

#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitApplicationFacts.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"

#include <QString>

using namespace Qt::StringLiterals;

namespace {

QString withAppName(QString text) { return text.replace(u"{{APPNAME}}"_s, TQKitApplicationName()); }

} // namespace

QString TQCrashNoticeTitle() { return withAppName(u"{{APPNAME}} had a problem and crashed"_s); }

QString TQCrashNoticeMessage()
{
    return withAppName(
        u"We are sorry that this crash occurred. Our goal is to prevent crashes like this from occuring in the "
        "future.\n\nPlease help us track down and fix this crash by providing detailed information about what you "
        "were doing so that we may reproduce the crash, quickly fix it and provide a workaround for the "
        "problem.\n\n"_s +
        u"Thanks for your help in improving {{APPNAME}}.\n"_s);
}

void TQCrashNoticeShow()
{
    TQKitRunAlert(nullptr,
                  {{u"title"_s, TQCrashNoticeTitle()},
                   {u"message"_s, TQCrashNoticeMessage()},
                   {u"defaultButton"_s, u"Continue"_s},
                   {u"alternateButton"_s, u"Cancel"_s}},
                  [](int button, bool) {
                      if (button == kTQKitAlertDefaultButton)
                          TQKitOpenURL(TQKitSupportURL());
                  });
}
