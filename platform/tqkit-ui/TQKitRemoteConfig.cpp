#include "platform/tqkit-ui/TQKitRemoteConfig.h"

#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitServiceEndpoints.h"
#include "platform/tqkit/TQKitWebRequest.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <optional>
#include <string>

namespace {

constexpr int kFeedTimeoutMs = 15000;

} // namespace

void TQKitRemoteConfigLoad()
{
    const std::string feedUrl = TQKitUpdateFeedURL();
    if (feedUrl.empty()) {
        TQKitRemoteParamsLoad();
        return;
    }
    QThreadPool::globalInstance()->start([feedUrl] {
        TQKitHttpRequestRecord request;
        request.url = feedUrl;
        request.timeoutMs = kFeedTimeoutMs;
        std::optional<std::string> feed;
        if (TQKitHttpFetch(&request))
            feed.emplace(request.body.begin(), request.body.end());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [feed] { TQKitRemoteParams::shared().load(feed); }, Qt::QueuedConnection);
    });
}
