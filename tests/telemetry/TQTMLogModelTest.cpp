#include "telemetry/TQTMAbstractLog.h"
#include "telemetry/TQTMDevice.h"
#include "telemetry/TQTMLogContainer.h"
#include "telemetry/TQTMLogWithProperties.h"
#include "telemetry/TQTMOrderedDictionary.h"
#include "telemetry/TQTMStartServiceLog.h"
#include "telemetry/TQTMUtility.h"

#include "platform/system/AtomicFile.h"
#include "tests/telemetry/ModelFixtures.h"
#include "tests/telemetry/TelemetryTestSupport.h"

using namespace sonvale;
using namespace std::chrono;

namespace {

class TQTMLogModelTest : public test::TelemetryTest {};

const TimePoint kTimestamp = test::fixedTimestamp();
using test::fixedDevice;

// A log that counts how often its validity was asked.
class CountingLog final : public TQTMAbstractLog {
public:
    bool isValid() const override
    {
        ++asked;
        return TQTMAbstractLog::isValid();
    }
    mutable int asked = 0;
};

std::shared_ptr<CountingLog> validLog()
{
    auto log = std::make_shared<CountingLog>();
    log->setType("event");
    log->setTimestamp(kTimestamp);
    log->setDevice(fixedDevice());
    return log;
}

} // namespace

TEST_F(TQTMLogModelTest, StartServiceLogMatchesItsGoldenJson)
{
    const auto golden = readWholeFile(std::filesystem::path(SONVALE_TELEMETRY_TEST_DATA) /
                                      "start-service-log.json");
    ASSERT_TRUE(golden);
    const auto text = test::fixedStartServiceLog()->serializeLogWithPrettyPrinting(true);
    ASSERT_TRUE(text);
    // Member order is not part of the format.
    EXPECT_EQ(nlohmann::json::parse(*text), nlohmann::json::parse(*golden)) << *text;

    // Without services neither member is written.
    auto bare = test::fixedStartServiceLog();
    bare->setServices(std::nullopt);
    const TQTMJson json = bare->serializeToDictionary();
    EXPECT_FALSE(json.contains("services"));
    EXPECT_FALSE(json.contains("isOneCollectorEnabled"));
}

TEST_F(TQTMLogModelTest, AbsentFieldsLeaveNoMemberAndSlashesAreNotEscaped)
{
    auto log = std::make_shared<TQTMLogWithProperties>();
    log->setType("handledError");
    log->setTimestamp(kTimestamp);
    log->setProperties(TQTMLogWithProperties::Properties{{"path", "/home/user/a.mp3"}});
    const TQTMJson json = log->serializeToDictionary();
    EXPECT_EQ(json,
              TQTMJson::parse(R"({"type":"handledError","timestamp":"2021-03-04T05:06:07.089Z",
                                         "properties":{"path":"/home/user/a.mp3"}})"));
    const auto text = TQTMLogContainer("batch", {log}).serializeLog();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->find("\\/"), std::string::npos);
    EXPECT_NE(text->find("/home/user/a.mp3"), std::string::npos);

    log->setProperties(TQTMLogWithProperties::Properties{});
    EXPECT_FALSE(log->serializeToDictionary().contains("properties"));
    EXPECT_FALSE(log->isValid()); // no device
    EXPECT_EQ(logs.messages().back(), "TQTMLogWithProperties: \"device\" is not valid.");
}

TEST_F(TQTMLogModelTest, InvalidUtf8InAPropertyNeverBreaksSerialization)
{
    auto log = std::make_shared<TQTMLogWithProperties>();
    log->setType("handledError");
    log->setProperties(TQTMLogWithProperties::Properties{{"name", "bad \xff\xfe bytes"}});
    const auto text = TQTMLogContainer("b", {log}).serializeLogWithPrettyPrinting(false);
    ASSERT_TRUE(text);
    EXPECT_EQ(TQTMJson::parse(*text)["logs"][0]["properties"]["name"],
              "bad \xef\xbf\xbd\xef\xbf\xbd bytes");
}

TEST_F(TQTMLogModelTest, ContainerValidityAsksLogsInOrderUpToTheFirstInvalidOne)
{
    EXPECT_FALSE(TQTMLogContainer("empty", {}).isValid());
    EXPECT_EQ(logs.messages(),
              std::vector<std::string>{"TQTMLogContainer: there are no logs in container."});
    logs.clear();

    auto first = validLog();
    auto second = validLog();
    auto third = validLog();
    second->setTimestamp(std::nullopt);
    EXPECT_FALSE(TQTMLogContainer("batch", {first, second, third}).isValid());
    EXPECT_EQ(first->asked, 1);
    EXPECT_EQ(second->asked, 1);
    EXPECT_EQ(third->asked, 0);
    EXPECT_EQ(logs.messages(),
              std::vector<std::string>{"TQTMAbstractLog: \"timestamp\" is not valid."});

    EXPECT_TRUE(TQTMLogContainer("batch", {first, third}).isValid());
    const auto text = TQTMLogContainer("batch", {first, third}).serializeLog();
    EXPECT_EQ(TQTMJson::parse(*text)["logs"].size(), 2u);
}

TEST_F(TQTMLogModelTest, LogValidityChecksTypeTimestampAndDeviceInOrder)
{
    struct Case {
        std::function<void(TQTMAbstractLog&)> spoil;
        const char* field;
    };
    const Case cases[] = {
        {[](TQTMAbstractLog& log) { log.setType(std::nullopt); }, "type"},
        {[](TQTMAbstractLog& log) { log.setTimestamp(std::nullopt); }, "timestamp"},
        {[](TQTMAbstractLog& log) { log.device()->setAppBuild(std::nullopt); }, "device"},
        {[](TQTMAbstractLog& log) { log.setDevice(nullptr); }, "device"},
    };
    for (const Case& c : cases) {
        logs.clear();
        auto log = validLog();
        c.spoil(*log);
        EXPECT_FALSE(log->isValid()) << c.field;
        EXPECT_EQ(logs.messages().back(),
                  "TQTMAbstractLog: \"" + std::string(c.field) + "\" is not valid.");
    }
    EXPECT_TRUE(validLog()->isValid());
}

TEST_F(TQTMLogModelTest, EqualityIgnoresTargetTokensButNotTheTag)
{
    auto a = validLog();
    auto b = validLog();
    a->addTransmissionTargetToken("token-a");
    EXPECT_TRUE(a->isEqual(*b));
    b->setTag(std::make_shared<int>(1));
    EXPECT_FALSE(a->isEqual(*b));

    auto withProperties = std::make_shared<TQTMLogWithProperties>();
    withProperties->setType("event");
    withProperties->setTimestamp(kTimestamp);
    withProperties->setDevice(fixedDevice());
    EXPECT_FALSE(withProperties->isEqual(*validLog())); // another class
    EXPECT_TRUE(validLog()->isEqual(*withProperties));  // base comparison: kind of the base

    auto other = test::fixedStartServiceLog();
    other->setIsOneCollectorEnabled(true);
    EXPECT_TRUE(other->isEqual(*test::fixedStartServiceLog()));
    other->setServices(std::vector<std::string>{"Crashes", "Analytics"});
    EXPECT_FALSE(other->isEqual(*test::fixedStartServiceLog()));
}

TEST_F(TQTMLogModelTest, TargetTokensAreASetGuardedByTheLog)
{
    TQTMAbstractLog log;
    EXPECT_FALSE(log.transmissionTargetTokens());
    log.addTransmissionTargetToken("t1");
    log.addTransmissionTargetToken("t1");
    log.addTransmissionTargetToken("t2");
    EXPECT_EQ(log.transmissionTargetTokens(), (std::set<std::string>{"t1", "t2"}));
}

TEST_F(TQTMLogModelTest, PropertyValidationKeepsTwentyAndCutsLongTexts)
{
    TQTMJson many = TQTMJson::object();
    for (int i = 0; i < 25; ++i)
        many["key" + std::to_string(100 + i)] = "value";
    EXPECT_EQ(TQTMUtility::validatePropertiesForLogNameType(many, "Error", "handledError").size(),
              20u);
    EXPECT_EQ(logs.messages(),
              std::vector<std::string>{"handledError 'Error' : properties cannot contain more "
                                       "than 20 items. Skipping other properties."});
    logs.clear();

    TQTMJson twenty = TQTMJson::object();
    for (int i = 0; i < 20; ++i)
        twenty["key" + std::to_string(i)] = "value";
    EXPECT_EQ(TQTMUtility::validatePropertiesForLogNameType(twenty, "Error", "handledError").size(),
              20u);
    EXPECT_TRUE(logs.entries().empty());

    const std::string smile = "\xf0\x9f\x98\x80";
    const std::string longKey(130, 'k');
    TQTMJson mixed = TQTMJson::object();
    mixed[longKey] = "v";
    mixed["long"] = std::string(126, 'v');
    mixed["exact"] = std::string(125, 'v');
    mixed["pair"] = std::string(124, 'v') + smile; // the pair would straddle the limit
    mixed["number"] = 5;
    mixed["null"] = nullptr;
    mixed[""] = "empty key";
    const auto accepted =
        TQTMUtility::validatePropertiesForLogNameType(mixed, "Error", "handledError");

    EXPECT_EQ(accepted.size(), 4u);
    EXPECT_EQ(accepted.at(std::string(125, 'k')), "v");
    EXPECT_EQ(accepted.at("long"), std::string(125, 'v'));
    EXPECT_EQ(accepted.at("exact"), std::string(125, 'v'));
    EXPECT_EQ(accepted.at("pair"), std::string(124, 'v'));
    EXPECT_EQ(logs.messages(), (std::vector<std::string>{
                                   "handledError 'Error' : property " + longKey +
                                       " : property key length cannot be longer than 125 "
                                       "characters. Property key will be truncated.",
                                   "handledError 'Error' : property 'long' : property value cannot "
                                   "be longer than 125 characters. "
                                   "Property value will be truncated.",
                                   "handledError 'Error' : property 'pair' : property value cannot "
                                   "be longer than 125 characters. "
                                   "Property value will be truncated.",
                                   "handledError 'Error' : a property key cannot be null or empty. "
                                   "Property will be skipped.",
                               }));
}

TEST_F(TQTMLogModelTest, OrderedDictionaryKeepsInsertionOrder)
{
    TQTMOrderedDictionary dictionary;
    dictionary.setObjectForKey(1, "b");
    dictionary.setObjectForKey(2, "a");
    dictionary.setObjectForKey(3, "b");
    EXPECT_EQ(dictionary.keys(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(dictionary.objectForKey("b"), 3);
    EXPECT_EQ(TQTMUtility::jsonText(dictionary.json(), false), R"({"b":3,"a":2})");

    TQTMOrderedDictionary reversed;
    reversed.setObjectForKey(2, "a");
    reversed.setObjectForKey(3, "b");
    EXPECT_FALSE(dictionary.isEqualToDictionary(reversed));
    TQTMOrderedDictionary copy = dictionary;
    EXPECT_TRUE(copy.isEqualToDictionary(dictionary));

    dictionary.removeAllObjects();
    EXPECT_EQ(dictionary.count(), 0u);
    EXPECT_TRUE(dictionary.keys().empty());
}
