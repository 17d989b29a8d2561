#include "platform/tqkit-ui/TQKitReachabilityQt.h"

#include <QNetworkInformation>

namespace {

bool reaches(QNetworkInformation::Reachability reachability)
{
    return reachability != QNetworkInformation::Reachability::Disconnected &&
           reachability != QNetworkInformation::Reachability::Local;
}

} // namespace

TQKitReachabilityQt::TQKitReachabilityQt(QObject* parent) : QObject(parent)
{
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    QNetworkInformation* information = QNetworkInformation::instance();
    reachable_.store(reaches(information->reachability()));
    connect(information, &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) { reachable_.store(reaches(reachability)); });
}
