#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMCSData.h"
#include "telemetry/TQTMCSExtensions.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMLocExtension.h"
#include "telemetry/TQTMNetExtension.h"
#include "telemetry/TQTMOSExtension.h"
#include "telemetry/TQTMProtocolExtension.h"
#include "telemetry/TQTMSDKExtension.h"
#include "telemetry/TQTMStartServiceLog.h"
#include "telemetry/TQTMUserExtension.h"
#include "telemetry/TQTMUtility.h"

#include "tests/telemetry/ModelFixtures.h"
#include "tests/telemetry/TelemetryTestSupport.h"

using namespace sonvale;

namespace {

class TQTMCommonSchemaLogTest : public test::TelemetryTest {};

} // namespace

TEST_F(TQTMCommonSchemaLogTest, SerializesOnlyItsOwnMembersInOrder)
{
    const auto log = test::completeCommonSchemaLog();
    log->setSid("never written");
    const TQTMJson json = log->serializeToDictionary();
    std::vector<std::string> keys;
    for (auto it = json.begin(); it != json.end(); ++it)
        keys.push_back(it.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"ver", "name", "time", "iKey", "flags", "ext", "data"}));
    EXPECT_EQ(json["time"], "2021-03-04T05:06:07.089Z");
    EXPECT_EQ(json["ext"]["sdk"],
              TQTMJson::parse(R"({"libVer":"telemetry.macos-2.1.0","epoch":"epoch",
        "installId":"0F8FAD5B-D9CB-469F-A165-70867728950E","seq":7})"));
    EXPECT_EQ(json["ext"]["app"]["id"], "I:com.telquor.Sonvale");

    // baseType and baseData lead the payload.
    EXPECT_EQ(TQTMUtility::jsonText(json["data"], false),
              R"({"baseType":"T","baseData":{"x":1},"z":1})");

    log->setFlags(0);
    log->ext()->sdkExt()->setSeq(0);
    const TQTMJson zero = log->serializeToDictionary();
    EXPECT_FALSE(zero.contains("flags"));
    EXPECT_FALSE(zero["ext"]["sdk"].contains("seq"));
}

TEST_F(TQTMCommonSchemaLogTest, EmptyPartsLeaveNoKey)
{
    TQTMCSExtensions ext;
    ext.setNetExt(std::make_shared<TQTMNetExtension>());
    EXPECT_EQ(ext.serializeToDictionary(), TQTMJson::object());
    EXPECT_TRUE(TQTMCSData().serializeToDictionary().is_null());
}

TEST_F(TQTMCommonSchemaLogTest, ValidityNeedsTimestampVerAndName)
{
    auto log = test::completeCommonSchemaLog();
    log->setExt(nullptr);
    log->setData(nullptr);
    EXPECT_TRUE(log->isValid());
    log->setVer(std::nullopt);
    EXPECT_FALSE(log->isValid());
    log->setTimestamp(std::nullopt);
    EXPECT_FALSE(log->isValid());
    EXPECT_EQ(logs.messages(),
              (std::vector<std::string>{"TQTMCommonSchemaLog: \"ver\" is not valid.",
                                        "TQTMCommonSchemaLog: \"timestamp\" is not valid."}));
}

TEST_F(TQTMCommonSchemaLogTest, ALogBecomesOneCommonSchemaLogPerTargetToken)
{
    auto log = test::fixedStartServiceLog();
    log->setUserId("alice");
    EXPECT_FALSE(log->toCommonSchemaLogsWithFlags(1)); // no tokens, nothing to convert
    log->addTransmissionTargetToken("key1-secret");
    log->addTransmissionTargetToken("key2-secret");
    const auto converted = log->toCommonSchemaLogsWithFlags(1);
    ASSERT_TRUE(converted);
    ASSERT_EQ(converted->size(), 2u);

    const auto& first = *converted->front();
    EXPECT_EQ(first.transmissionTargetTokens(), std::set<std::string>{"key1-secret"});
    EXPECT_EQ(first.iKey(), "o:key1");
    EXPECT_EQ(first.ver(), "3.0");
    EXPECT_EQ(first.flags(), 1);
    EXPECT_EQ(first.timestamp(), log->timestamp());
    const TQTMJson ext = first.ext()->serializeToDictionary();
    EXPECT_EQ(ext["user"], TQTMJson::parse(R"({"localId":"c:alice","locale":"en-US"})"));
    EXPECT_EQ(
        ext["os"],
        TQTMJson::parse(
            R"j({"ver":"Version 6.1.0 (Build Debian GNU/Linux 12 (bookworm))","name":"Linux"})j"));
    EXPECT_EQ(ext["protocol"],
              TQTMJson::parse(R"({"devMake":"LENOVO","devModel":"ThinkPad X1 Carbon"})"));
    EXPECT_EQ(ext["sdk"], TQTMJson::parse(R"({"libVer":"telemetry.macos-2.1.0"})"));
    EXPECT_EQ(ext["loc"], TQTMJson::parse(R"({"tz":"+01:00"})"));
    EXPECT_EQ(ext["app"],
              TQTMJson::parse(R"({"id":"I:com.telquor.Sonvale","ver":"1.0.21","locale":"en"})"));
    EXPECT_FALSE(ext.contains("net"));    // no carrier
    EXPECT_FALSE(ext.contains("device")); // present but empty
}

TEST_F(TQTMCommonSchemaLogTest, TextFunctionsOfTheConversion)
{
    const std::pair<int64_t, const char*> offsets[] = {
        {120, "+02:00"},  {-300, "-05:00"}, {330, "+05:30"},
        {-210, "-03:30"}, {0, "+00:00"},    {-30, "-00:30"},
    };
    for (const auto& [minutes, text] : offsets)
        EXPECT_EQ(TQTMAbstractLog::convertTimeZoneOffsetToISO8601(minutes), text) << minutes;

    EXPECT_EQ(TQTMAbstractLog::combineOsVersionWithBuild("12.6.0", "21G115"),
              "Version 12.6.0 (Build 21G115)");
    EXPECT_EQ(TQTMAbstractLog::combineOsVersionWithBuild("12.6.0", ""), "Version 12.6.0");
    EXPECT_EQ(TQTMAbstractLog::combineOsVersionWithBuild(std::nullopt, "21G115"), "(Build 21G115)");
    EXPECT_EQ(TQTMAbstractLog::combineOsVersionWithBuild("", std::nullopt), std::nullopt);
    EXPECT_EQ(TQTMAbstractLog::combineSDKLibVerWithVersion("telemetry.macos", "2.1.0"),
              "telemetry.macos-2.1.0");
    EXPECT_EQ(TQTMAbstractLog::combineSDKLibVerWithVersion("telemetry.macos", ""), std::nullopt);
}

TEST_F(TQTMCommonSchemaLogTest, EqualityComparesEveryFieldAndPart)
{
    const auto a = test::completeCommonSchemaLog();
    EXPECT_TRUE(a->isEqual(*test::completeCommonSchemaLog()));
    const std::function<void(TQTMCommonSchemaLog&)> changes[] = {
        [](auto& log) { log.setPopSample(50); },
        [](auto& log) { log.setCV("other"); },
        [](auto& log) { log.ext()->protocolExt()->setTicketKeys(std::nullopt); },
        [](auto& log) { log.ext()->sdkExt()->setInstallId(Uuid::random()); },
        [](auto& log) {
            log.data()->setProperties(TQTMJson{{"z", 2}});
        },
        [](auto& log) { log.setSid("s"); }, // base fields count too
    };
    for (const auto& change : changes) {
        auto b = test::completeCommonSchemaLog();
        change(*b);
        EXPECT_FALSE(a->isEqual(*b));
    }
}
