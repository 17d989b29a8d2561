#include "telemetry/TQTMUtility.h"

#include "tests/telemetry/TelemetryTestSupport.h"

#include <sys/stat.h>

using namespace sonvale;
using namespace std::chrono;

namespace {

class TQTMUtilityTest : public test::TelemetryTest {};

TQTMData bytes(std::string_view text)
{
    return TQTMData(text.begin(), text.end());
}

} // namespace

TEST_F(TQTMUtilityTest, SecretTextYieldsTheAppSecretAndTheTargetToken)
{
    const std::string guid = "0f8fad5b-d9cb-469f-a165-70867728950e";
    struct Case {
        std::string text;
        std::optional<std::string> secret;
        std::optional<std::string> token;
    };
    const Case cases[] = {
        {guid, guid, std::nullopt},
        {"appsecret=" + guid + ";target=tok-123", guid, "tok-123"},
        {guid + ";macos=platform-secret", "platform-secret", std::nullopt},
        {"appsecret=" + guid + ";macos=platform-secret;target=t", "platform-secret", "t"},
        {"target=tok-123", std::nullopt, "tok-123"},
        {";;" + guid + ";", guid, std::nullopt},
        {"target=;target=second", std::nullopt, "second"},
        {"", std::nullopt, std::nullopt},
        {";", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TQTMUtility::appSecretFrom(c.text), c.secret) << c.text;
        EXPECT_EQ(TQTMUtility::transmissionTargetTokenFrom(c.text), c.token) << c.text;
    }
}

TEST_F(TQTMUtilityTest, TargetAndInstrumentationKeysComeFromTheTokenBeforeItsFirstDash)
{
    const std::tuple<std::string, std::optional<std::string>, std::optional<std::string>> cases[] =
        {
            {"abc-def-ghi", "abc", "o:abc"},
            {"plain", "plain", "o:plain"},
            {"-starts-with-dash", std::nullopt, std::nullopt},
            {"", std::nullopt, std::nullopt},
        };
    for (const auto& [token, key, iKey] : cases) {
        EXPECT_EQ(TQTMUtility::targetKeyFromTargetToken(token), key) << token;
        EXPECT_EQ(TQTMUtility::iKeyFromTargetToken(token), iKey) << token;
    }
}

TEST_F(TQTMUtilityTest, IsoDatesCarryMillisecondsInUtcAndRoundTrip)
{
    const TimePoint date = sys_days(year(2021) / 3 / 4) + hours(5) + minutes(6) + seconds(7) +
                           milliseconds(89) + microseconds(999);
    EXPECT_EQ(TQTMUtility::dateToISO8601(date), "2021-03-04T05:06:07.089Z");
    EXPECT_EQ(TQTMUtility::dateFromISO8601("2021-03-04T05:06:07.089Z"), floor<milliseconds>(date));
    EXPECT_EQ(TQTMUtility::dateToISO8601(TimePoint(milliseconds(-1))), "1969-12-31T23:59:59.999Z");

    const TimePoint now = floor<milliseconds>(system_clock::now());
    EXPECT_EQ(TQTMUtility::dateFromISO8601(TQTMUtility::dateToISO8601(now)), now);

    for (const char* bad :
         {"", "2021-03-04T05:06:07Z", "2021-02-30T05:06:07.089Z", "2021-03-04 05:06:07.089Z",
          "2021-03-04T24:06:07.089Z", "2021-03-04T05:06:07.089+01:00", "2021-03-04T05:06:07.0a9Z"})
        EXPECT_FALSE(TQTMUtility::dateFromISO8601(bad)) << bad;
}

TEST_F(TQTMUtilityTest, Sha256IsLowercaseHexOfAsciiText)
{
    EXPECT_EQ(TQTMUtility::sha256("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(TQTMUtility::sha256(std::string("abc\0def", 7)),
              TQTMUtility::sha256("abc")); // up to the NUL
    EXPECT_FALSE(TQTMUtility::sha256("caf\xc3\xa9"));
}

TEST_F(TQTMUtilityTest, PrettyJsonIndentsJsonAndLeavesOtherTextAlone)
{
    EXPECT_EQ(TQTMUtility::prettyPrintJson("not { json"), "not { json");
    EXPECT_EQ(TQTMUtility::prettyPrintJson(R"({"b":1,"a":"x/y"})"),
              "{\n  \"b\": 1,\n  \"a\": \"x/y\"\n}");
}

TEST_F(TQTMUtilityTest, MaskingHidesEveryTokenMemberAndEveryRunAfterAColon)
{
    struct Case {
        const char* text;
        const char* masked;
    };
    for (const Case& c : {
             Case{R"({"token":"abc","Token" :  "d","other":"e"})",
                  R"({"token" : "***","token" : "***","other":"e"})"},
             Case{R"({"token": "", "tokens": "x", "token": 5})",
                  R"({"token": "", "tokens": "x", "token": 5})"},
             Case{R"({"TOKEN"	:
"x"} "token": "open)", R"({"token" : "***"} "token": "open)"},
         })
        EXPECT_EQ(TQTMUtility::obfuscateJsonStringMembersNamed(c.text, "token"), c.masked)
            << c.text;
    EXPECT_EQ(TQTMUtility::obfuscateAfterEveryColon(R"(["p:abc","q:d:e"] tail:x)"),
              R"(["p:***","q:***"] tail:***)");
    EXPECT_EQ(TQTMUtility::obfuscateAfterEveryColon(R"(a:b:c"d)"), R"(a:***"d)");
    EXPECT_EQ(TQTMUtility::obfuscateAfterEveryColon("no colon"), "no colon");
}

TEST_F(TQTMUtilityTest, MaskingAMegabyteOfTextNeitherCrashesNorMissesAMember)
{
    // A response body of this size overflowed the stack of a backtracking matcher.
    std::string body = "{\"padding\":\"" + std::string(1 << 20, 'a') + "\",\"token\":\"s\"}";
    const std::string masked = TQTMUtility::obfuscateJsonStringMembersNamed(body, "token");
    EXPECT_EQ(masked.substr(masked.size() - 16), "\"token\" : \"***\"}");
    std::string tickets;
    for (int i = 0; i < (1 << 17); ++i)
        tickets += "\"t:secret\"";
    EXPECT_EQ(TQTMUtility::obfuscateAfterEveryColon(tickets).size(), tickets.size() - (1 << 17) * 3);
}

TEST_F(TQTMUtilityTest, FilesLiveInsideTheTelemetryFolder)
{
    const auto folder = TQTMUtility::telemetryDirectoryURL();
    EXPECT_EQ(folder, home.path() / ".local/share/Sonvale/telemetry");

    const auto url = TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
        "crashes/report.bin", bytes("first"), true, false);
    ASSERT_TRUE(url);
    EXPECT_EQ(*url, folder / "crashes/report.bin");
    // Without overwrite an existing file is left as it is, and its URL still answered.
    EXPECT_EQ(TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
                  "crashes/report.bin", bytes("second"), false, false),
              url);
    EXPECT_EQ(TQTMUtility::loadDataForPathComponent("crashes/report.bin"), bytes("first"));
    ASSERT_TRUE(TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
        "crashes/report.bin", bytes("second"), false, true));
    EXPECT_EQ(TQTMUtility::loadDataForPathComponent("crashes/report.bin"), bytes("second"));

    const auto entries = TQTMUtility::contentsOfDirectory("crashes");
    ASSERT_TRUE(entries);
    EXPECT_EQ(*entries, std::vector<std::filesystem::path>{*url});
    EXPECT_TRUE(TQTMUtility::fileExistsForPathComponent("crashes/report.bin"));
    EXPECT_TRUE(TQTMUtility::deleteItemForPathComponent("crashes"));
    EXPECT_FALSE(TQTMUtility::fileExistsForPathComponent("crashes/report.bin"));
    EXPECT_FALSE(TQTMUtility::deleteItemForPathComponent("crashes"));
    EXPECT_FALSE(TQTMUtility::contentsOfDirectory("missing"));
    EXPECT_FALSE(TQTMUtility::contentsOfDirectory(""));

    // Nothing may be written outside the folder.
    for (const char* escape : {"../outside", "/tmp/absolute", "a/../../outside"}) {
        EXPECT_FALSE(TQTMUtility::createFileAtPathComponentWithDataAtomicallyForceOverwrite(
            escape, bytes("x"), true, true))
            << escape;
        EXPECT_FALSE(TQTMUtility::deleteItemForPathComponent(escape)) << escape;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / "outside"));

    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}
