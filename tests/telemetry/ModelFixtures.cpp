#include "tests/telemetry/ModelFixtures.h"

#include "telemetry/TQTMAppExtension.h"
#include "telemetry/TQTMCSData.h"
#include "telemetry/TQTMCSExtensions.h"
#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMDeviceExtension.h"
#include "telemetry/TQTMLocExtension.h"
#include "telemetry/TQTMMetadataExtension.h"
#include "telemetry/TQTMNetExtension.h"
#include "telemetry/TQTMOSExtension.h"
#include "telemetry/TQTMProtocolExtension.h"
#include "telemetry/TQTMSDKExtension.h"
#include "telemetry/TQTMStartServiceLog.h"
#include "telemetry/TQTMUserExtension.h"

namespace sonvale::test {

using namespace std::chrono;

TimePoint fixedTimestamp()
{
    return sys_days(year(2021) / 3 / 4) + hours(5) + minutes(6) + seconds(7) + milliseconds(89);
}

std::shared_ptr<TQTMDevice> fixedDevice()
{
    auto device = std::make_shared<TQTMDevice>();
    device->setSdkName("telemetry.macos");
    device->setSdkVersion("2.1.0");
    device->setModel("ThinkPad X1 Carbon");
    device->setOemName("LENOVO");
    device->setOsName("Linux");
    device->setOsVersion("6.1.0");
    device->setOsBuild("Debian GNU/Linux 12 (bookworm)");
    device->setLocale("en_US");
    device->setTimeZoneOffset(60);
    device->setScreenSize("1920x1080");
    device->setAppVersion("1.0.21");
    device->setAppBuild("1021");
    device->setAppNamespace("com.telquor.Sonvale");
    return device;
}

std::shared_ptr<TQTMStartServiceLog> fixedStartServiceLog()
{
    auto log = std::make_shared<TQTMStartServiceLog>();
    log->setTimestamp(fixedTimestamp());
    log->setSid("6F2C2B5C-0E1A-4C3B-9A7E-2D51B2D8A0F3");
    log->setDevice(fixedDevice());
    log->setServices(std::vector<std::string>{"Crashes"});
    return log;
}

std::shared_ptr<TQTMCommonSchemaLog> completeCommonSchemaLog()
{
    auto ext = std::make_shared<TQTMCSExtensions>();
    auto metadata = std::make_shared<TQTMMetadataExtension>();
    metadata->setMetadata(TQTMJson{{"f", {{"p", 1}}}, {"a", 2}});
    ext->setMetadataExt(metadata);
    auto protocol = std::make_shared<TQTMProtocolExtension>();
    protocol->setTicketKeys(std::vector<std::string>{"t1", "t2"});
    protocol->setDevMake("LENOVO");
    protocol->setDevModel("X1");
    ext->setProtocolExt(protocol);
    auto user = std::make_shared<TQTMUserExtension>();
    user->setLocalId("c:alice");
    user->setLocale("en-US");
    ext->setUserExt(user);
    auto device = std::make_shared<TQTMDeviceExtension>();
    device->setLocalId("u:device");
    ext->setDeviceExt(device);
    auto os = std::make_shared<TQTMOSExtension>();
    os->setName("Linux");
    os->setVer("Version 6.1.0 (Build Debian)");
    ext->setOsExt(os);
    auto app = std::make_shared<TQTMAppExtension>();
    app->setAppId("I:com.telquor.Sonvale");
    app->setVer("1.0.21");
    app->setName("Sonvale");
    app->setLocale("en");
    app->setUserId("c:alice");
    ext->setAppExt(app);
    auto net = std::make_shared<TQTMNetExtension>();
    net->setProvider("carrier");
    ext->setNetExt(net);
    auto sdk = std::make_shared<TQTMSDKExtension>();
    sdk->setLibVer("telemetry.macos-2.1.0");
    sdk->setEpoch("epoch");
    sdk->setSeq(7);
    sdk->setInstallId(Uuid::fromString("0F8FAD5B-D9CB-469F-A165-70867728950E"));
    ext->setSdkExt(sdk);
    auto loc = std::make_shared<TQTMLocExtension>();
    loc->setTz("+01:00");
    ext->setLocExt(loc);

    auto data = std::make_shared<TQTMCSData>();
    data->setProperties(TQTMJson{{"z", 1}, {"baseData", {{"x", 1}}}, {"baseType", "T"}});

    auto log = std::make_shared<TQTMCommonSchemaLog>();
    log->setVer("3.0");
    log->setName("conversion");
    log->setTimestamp(fixedTimestamp());
    log->setPopSample(100);
    log->setIKey("o:abc");
    log->setFlags(2);
    log->setCV("cv");
    log->setExt(ext);
    log->setData(data);
    return log;
}

} // namespace sonvale::test
