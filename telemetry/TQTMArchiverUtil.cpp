#include "telemetry/TQTMArchiverUtil.h"

#include "telemetry/TQTMAppExtension.h"
#include "telemetry/TQTMBooleanTypedProperty.h"
#include "telemetry/TQTMCSData.h"
#include "telemetry/TQTMCSExtensions.h"
#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMDateTimeTypedProperty.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMDeviceExtension.h"
#include "telemetry/TQTMDeviceHistoryInfo.h"
#include "telemetry/TQTMDoubleTypedProperty.h"
#include "telemetry/TQTMLocExtension.h"
#include "telemetry/TQTMLogWithProperties.h"
#include "telemetry/TQTMLongTypedProperty.h"
#include "telemetry/TQTMMetadataExtension.h"
#include "telemetry/TQTMNetExtension.h"
#include "telemetry/TQTMOSExtension.h"
#include "telemetry/TQTMProtocolExtension.h"
#include "telemetry/TQTMSDKExtension.h"
#include "telemetry/TQTMSessionHistoryInfo.h"
#include "telemetry/TQTMStartServiceLog.h"
#include "telemetry/TQTMStringTypedProperty.h"
#include "telemetry/TQTMUserExtension.h"
#include "telemetry/TQTMUserIdHistoryInfo.h"

sonvale::KeyedArchiveRegistry& TQTMArchiverUtil::registry()
{
    static sonvale::KeyedArchiveRegistry instance;
    return instance;
}

void TQTMArchiverUtil::addMigrationClasses(
    const std::vector<std::pair<std::string, std::string>>& table)
{
    for (const auto& [oldName, currentName] : table)
        registry().addAlias(oldName, currentName);
}

void TQTMArchiverUtil::addAllowedTelemetryModuleClasses()
{
    // Dates, UUIDs, texts, numbers, arrays and dictionaries are values of the archive itself and
    // need no registration.
    addAllowedClass<TQTMAbstractLog>();
    addAllowedClass<TQTMDevice>();
    addAllowedClass<TQTMDeviceHistoryInfo>();
    addAllowedClass<TQTMSessionHistoryInfo>();
    addAllowedClass<TQTMUserIdHistoryInfo>();
    addAllowedClass<TQTMAppExtension>();
    addAllowedClass<TQTMCSExtensions>();
    addAllowedClass<TQTMCommonSchemaLog>();
    addAllowedClass<TQTMCSData>();
    addAllowedClass<TQTMDeviceExtension>();
    addAllowedClass<TQTMLocExtension>();
    addAllowedClass<TQTMMetadataExtension>();
    addAllowedClass<TQTMNetExtension>();
    addAllowedClass<TQTMOSExtension>();
    addAllowedClass<TQTMProtocolExtension>();
    addAllowedClass<TQTMSDKExtension>();
    addAllowedClass<TQTMUserExtension>();
    addAllowedClass<TQTMStartServiceLog>();
    addAllowedClass<TQTMBooleanTypedProperty>();
    addAllowedClass<TQTMDateTimeTypedProperty>();
    addAllowedClass<TQTMDoubleTypedProperty>();
    addAllowedClass<TQTMLongTypedProperty>();
    addAllowedClass<TQTMStringTypedProperty>();
    addAllowedClass<TQTMTypedProperty>();
    addAllowedClass<TQTMHistoryInfo>();
    addAllowedClass<TQTMLogWithProperties>();
    addAllowedClass<TQTMWrapperSdk>();
}
