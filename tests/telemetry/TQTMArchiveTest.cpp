#include "telemetry/TQTMAbstractLog.h"
#include "telemetry/TQTMAppExtension.h"
#include "telemetry/TQTMArchiverUtil.h"
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
#include "telemetry/TQTMUtility.h"

#include "tests/telemetry/ModelFixtures.h"
#include "tests/telemetry/TelemetryTestSupport.h"

using namespace sonvale;

namespace {

class TQTMArchiveTest : public test::TelemetryTest {};

template <class T>
std::shared_ptr<T> roundTrip(const T& object)
{
    return TQTMUtility::unarchiveKeyedData<T>(TQTMUtility::archiveKeyedData(&object));
}

template <class T, class Fill>
std::shared_ptr<TQTMSerializableObject> made(Fill fill)
{
    auto object = std::make_shared<T>();
    fill(*object);
    return object;
}

// One filled object of every model class the client archives.
std::vector<std::shared_ptr<TQTMSerializableObject>> everyModelObject()
{
    const auto fillLog = [](TQTMAbstractLog& log) {
        log.setType("event");
        log.setTimestamp(test::fixedTimestamp());
        log.setSid("session");
        log.setDistributionGroupId("group");
        log.setUserId("user");
        log.setDataResidencyRegion("eu");
        log.setDevice(test::fixedDevice());
    };
    auto wrapped = test::fixedDevice();
    wrapped->setWrapperSdkName("wrapper");
    wrapped->setLiveUpdatePackageHash("hash");
    wrapped->setOsApiLevel(33);

    std::vector<std::shared_ptr<TQTMSerializableObject>> objects = {
        made<TQTMAbstractLog>(fillLog),
        made<TQTMLogWithProperties>([&](TQTMLogWithProperties& log) {
            fillLog(log);
            log.setProperties(TQTMLogWithProperties::Properties{{"k", "v"}});
        }),
        test::fixedStartServiceLog(),
        wrapped,
        std::make_shared<TQTMWrapperSdk>("1.0", "wrapper", "runtime", "label", "key", "hash"),
        made<TQTMStringTypedProperty>([](auto& p) {
            p.setName("s");
            p.setValue("text");
        }),
        made<TQTMLongTypedProperty>([](auto& p) {
            p.setName("l");
            p.setValue(-(int64_t{1} << 50));
        }),
        made<TQTMDoubleTypedProperty>([](auto& p) {
            p.setName("d");
            p.setValue(2.5);
        }),
        made<TQTMBooleanTypedProperty>([](auto& p) {
            p.setName("b");
            p.setValue(true);
        }),
        made<TQTMDateTimeTypedProperty>([](auto& p) {
            p.setName("t");
            p.setValue(test::fixedTimestamp());
        }),
        made<TQTMTypedProperty>([](auto& p) {
            p.setType("custom");
            p.setName("n");
        }),
        test::completeCommonSchemaLog(),
    };
    const auto ext = test::completeCommonSchemaLog()->ext();
    objects.push_back(ext);
    objects.insert(objects.end(),
                   {ext->metadataExt(), ext->protocolExt(), ext->userExt(), ext->deviceExt(),
                    ext->osExt(), ext->appExt(), ext->netExt(), ext->sdkExt(), ext->locExt()});
    objects.push_back(test::completeCommonSchemaLog()->data());
    return objects;
}

// A log class nobody registered.
class TQTMUnknownLog final : public TQTMAbstractLog {
public:
    std::string_view archiveClassName() const override { return "TQTMUnknownLog"; }
};

// An object archived under the class name an earlier version used.
class UnderOldName final : public KeyedArchivable {
public:
    UnderOldName(const KeyedArchivable& object, std::string_view oldName)
        : object_(object), oldName_(oldName)
    {}
    std::string_view archiveClassName() const override { return oldName_; }
    void encodeWithCoder(KeyedArchiver& coder) const override { object_.encodeWithCoder(coder); }
    void initWithCoder(KeyedUnarchiver&) override {}

private:
    const KeyedArchivable& object_;
    std::string_view oldName_;
};

} // namespace

TEST_F(TQTMArchiveTest, EveryModelClassReadsBackEqual)
{
    for (const auto& object : everyModelObject()) {
        const std::string name(object->archiveClassName());
        const auto back = roundTrip<TQTMSerializableObject>(*object);
        ASSERT_TRUE(back) << name << ": "
                          << (logs.messages().empty() ? "" : logs.messages().back());
        EXPECT_EQ(back->archiveClassName(), name);
        EXPECT_TRUE(back->isEqual(*object)) << name;
        EXPECT_TRUE(object->isEqual(*back)) << name;
        EXPECT_EQ(back->serializeToDictionary(), object->serializeToDictionary()) << name;
    }
    EXPECT_TRUE(logs.entries().empty());
}

TEST_F(TQTMArchiveTest, TagAndTargetTokensAreNotArchived)
{
    auto log = test::fixedStartServiceLog();
    log->addTransmissionTargetToken("token");
    const auto back = roundTrip<TQTMStartServiceLog>(*log);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->transmissionTargetTokens());
    EXPECT_TRUE(back->isEqual(*log));
    log->setTag(std::make_shared<int>(3));
    EXPECT_FALSE(roundTrip<TQTMStartServiceLog>(*log)->tag());
}

TEST_F(TQTMArchiveTest, HistoryEntriesKeepTheirFields)
{
    const std::vector<std::shared_ptr<TQTMHistoryInfo>> history = {
        std::make_shared<TQTMSessionHistoryInfo>(test::fixedTimestamp(), "S1"),
        std::make_shared<TQTMUserIdHistoryInfo>(test::fixedTimestamp(), std::nullopt),
        std::make_shared<TQTMDeviceHistoryInfo>(test::fixedTimestamp(), test::fixedDevice()),
    };
    const auto back =
        TQTMUtility::unarchiveKeyedArray<TQTMHistoryInfo>(TQTMUtility::archiveKeyedArray(history));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 3u);
    for (const auto& entry : *back)
        EXPECT_EQ(entry->timestamp(), test::fixedTimestamp());
    EXPECT_EQ(std::dynamic_pointer_cast<TQTMSessionHistoryInfo>((*back)[0])->sessionId(), "S1");
    EXPECT_EQ(std::dynamic_pointer_cast<TQTMUserIdHistoryInfo>((*back)[1])->userId(), std::nullopt);
    EXPECT_TRUE(std::dynamic_pointer_cast<TQTMDeviceHistoryInfo>((*back)[2])
                    ->device()
                    ->isEqual(*test::fixedDevice()));
}

TEST_F(TQTMArchiveTest, AnUnregisteredClassReadsAsNothingWithTheErrorLine)
{
    TQTMUnknownLog unknown;
    unknown.setType("x");
    EXPECT_FALSE(roundTrip<TQTMAbstractLog>(unknown));
    EXPECT_EQ(logs.messages(),
              std::vector<std::string>{"Unarchiving NSData failed with error: The class "
                                       "\"TQTMUnknownLog\" for key \"root\" is not allowed."});
    const auto entries = logs.entries();
    EXPECT_EQ(entries[0].level, TQTMLogLevelError);
    EXPECT_EQ(entries[0].tag, "Telemetry");

    // Damaged bytes are refused the same way.
    logs.clear();
    EXPECT_FALSE(TQTMUtility::unarchiveKeyedData<TQTMAbstractLog>(TQTMData{1, 2, 3}));
    EXPECT_EQ(logs.entries().size(), 1u);
    EXPECT_FALSE(TQTMUtility::unarchiveKeyedData<TQTMAbstractLog>(std::nullopt));
}

TEST_F(TQTMArchiveTest, AnOldClassNameReadsIntoItsNewClass)
{
    TQTMStartServiceLog old;
    old.setTimestamp(test::fixedTimestamp());
    old.setServices(std::vector<std::string>{"Crashes"});
    old.setIsOneCollectorEnabled(true);
    const UnderOldName archived(old, "TMStartServiceLog");
    const auto data = TQTMUtility::archiveKeyedData(&archived);
    EXPECT_FALSE(TQTMUtility::unarchiveKeyedData<TQTMStartServiceLog>(data)); // not yet known

    TQTMArchiverUtil::addMigrationClasses({{"TMStartServiceLog", "TQTMStartServiceLog"}});
    const auto back = TQTMUtility::unarchiveKeyedData<TQTMStartServiceLog>(data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->archiveClassName(), "TQTMStartServiceLog");
    EXPECT_EQ(back->type(), "startService");
    EXPECT_EQ(back->services(), old.services());
    EXPECT_TRUE(back->isOneCollectorEnabled());
    EXPECT_EQ(back->timestamp(), old.timestamp());
}

TEST_F(TQTMArchiveTest, TextThatIsNotUtf8SurvivesTheArchive)
{
    TQTMLogWithProperties log;
    log.setType("handledError");
    log.setProperties(TQTMLogWithProperties::Properties{{"file", "caf\xe9.mp3"}});
    const auto back =
        TQTMUtility::unarchiveKeyedData<TQTMLogWithProperties>(TQTMUtility::archiveKeyedData(&log));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->properties(), log.properties());
}
