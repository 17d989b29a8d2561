#include "lifecycle/TQCrashNotice.h"

#include "platform/tqkit-ui/TQKitAppInfo.h"
#include "tests/support/QtTestSupport.h"

#include <QDesktopServices>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace sonvale::test {
namespace {

class SupportPages final : public QObject {
    Q_OBJECT

public:
    SupportPages() { QDesktopServices::setUrlHandler(u"https"_s, this, "open"); }
    ~SupportPages() override { QDesktopServices::unsetUrlHandler(u"https"_s); }

    QStringList urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url.toString()); }
};

TEST(TQCrashNoticeTest, TheNoticeTellsOfTheCrashAndContinueOpensTheSupportPage)
{
    TQKitAppInfo info;
    info.supportPageUrl = u"https://www.telquor.com/support/"_s;
    TQKitAppInfo::setCurrent(info);
    const SupportPages opened;

    for (const int button : {kTQKitAlertAlternateButton, kTQKitAlertDefaultButton}) {
        scriptedResponder().reset();
        scriptedResponder().setRule([button](const TQKitAlertRequest&) { return TQKitAlertAnswer{button, false}; });
        TQCrashNoticeShow();
        pumpEvents();
        ASSERT_EQ(scriptedResponder().requests().size(), 1);
        const TQKitAlertRequest& notice = scriptedResponder().requests()[0];
        EXPECT_EQ(notice.title, u"Sonvale had a problem and crashed"_s);
        EXPECT_TRUE(notice.message.startsWith(u"We are sorry that this crash occurred. Our goal is to prevent crashes "
                                              "like this from occuring in the future.\n\nPlease help us"_s));
        EXPECT_TRUE(notice.message.endsWith(u"provide a workaround for the problem.\n\nThanks for your help in "
                                            "improving Sonvale.\n"_s));
        ASSERT_EQ(notice.buttons.size(), 2);
        EXPECT_EQ(notice.buttons[0].title, u"Continue"_s);
        EXPECT_EQ(notice.buttons[1].title, u"Cancel"_s);
        EXPECT_EQ(notice.parent, nullptr);
    }
    EXPECT_EQ(opened.urls, QStringList{u"https://www.telquor.com/support/"_s}); // Cancel opened nothing
}

} // namespace
} // namespace sonvale::test

#include "TQCrashNoticeTest.moc"
