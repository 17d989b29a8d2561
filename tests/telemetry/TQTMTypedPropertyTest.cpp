#include "telemetry/TQTMBooleanTypedProperty.h"
#include "telemetry/TQTMDateTimeTypedProperty.h"
#include "telemetry/TQTMLongTypedProperty.h"
#include "telemetry/TQTMStringTypedProperty.h"
#include "telemetry/TQTMUtility.h"

#include "tests/telemetry/TelemetryTestSupport.h"

using namespace sonvale;

namespace {

class TQTMTypedPropertyTest : public test::TelemetryTest {};

} // namespace

TEST_F(TQTMTypedPropertyTest, SerializesTypeNameAndValue)
{
    TQTMBooleanTypedProperty flag;
    flag.setName("normalized");
    flag.setValue(true);
    EXPECT_EQ(flag.serializeToDictionary(),
              TQTMJson::parse(R"({"type":"boolean","name":"normalized","value":true})"));

    TQTMLongTypedProperty count;
    count.setName("files");
    count.setValue(int64_t{1} << 40);
    EXPECT_EQ(count.serializeToDictionary()["value"], int64_t{1} << 40);
}

TEST_F(TQTMTypedPropertyTest, EqualityComparesKindAndValueButNotName)
{
    TQTMLongTypedProperty one, alsoOne, two;
    one.setName("a");
    one.setValue(1);
    alsoOne.setName("b");
    alsoOne.setValue(1);
    two.setValue(2);
    EXPECT_TRUE(one.isEqual(alsoOne));
    EXPECT_FALSE(one.isEqual(two));

    TQTMStringTypedProperty text;
    text.setName("a");
    EXPECT_FALSE(text.isEqual(one));
    EXPECT_FALSE(one.isEqual(text));
}

TEST_F(TQTMTypedPropertyTest, ARestoredDateKeepsMillisecondsInUtc)
{
    using namespace std::chrono;
    TQTMDateTimeTypedProperty when;
    when.setName("started");
    when.setValue(sys_days(year(2024) / 2 / 29) + hours(23) + minutes(59) + seconds(59) +
                  milliseconds(999));
    const auto back = TQTMUtility::unarchiveKeyedData<TQTMDateTimeTypedProperty>(
        TQTMUtility::archiveKeyedData(&when));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->type(), "dateTime");
    EXPECT_EQ(back->serializeToDictionary()["value"], "2024-02-29T23:59:59.999Z");
}
