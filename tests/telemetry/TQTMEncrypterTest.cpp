#include "telemetry/TQTMEncrypter.h"

#include "platform/system/Base64.h"
#include "platform/system/FakeClock.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/XdgPaths.h"
#include "telemetry/TQTMKeychainUtil.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUtility.h"

#include "tests/telemetry/TelemetryTestSupport.h"

#include <sys/stat.h>

using namespace sonvale;
using Data = TQTMEncrypter::Data;

namespace {

constexpr const char* kCurrentMetadata = "kTMEncryptionKeyTagAlternate/AES/HmacSHA256/CBC/PKCS7/32";

class TQTMEncrypterTest : public test::TelemetryTest {
protected:
    std::shared_ptr<TQTMTelemetryUserDefaults> defaults = TQTMTelemetryUserDefaults::shared();
    FakeClock clock{TimePoint(std::chrono::sys_days(std::chrono::year(2024) / 1 / 1))};

    static Data bytesOf(const std::string& base64) { return base64Decode(base64).value_or(Data{}); }
    static std::string base64Of(const Data& data) { return base64Encode(data.data(), data.size()); }
    std::string metadata() const
    {
        return defaults->objectForKey(TQTMEncrypter::kMetadataKey).value_or("").get<std::string>();
    }
};

} // namespace

TEST_F(TQTMEncrypterTest, TextsHaveTheExactLayoutAndAFreshVectorEachTime)
{
    TQTMEncrypter encrypter(defaults, clock);
    const std::optional<std::string> first = encrypter.encryptString("target-token-1");
    const std::optional<std::string> second = encrypter.encryptString("target-token-1");
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);

    const Data bytes = bytesOf(*first);
    const std::string prefix = std::string(kCurrentMetadata) + ":";
    ASSERT_GT(bytes.size(), prefix.size() + 48);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + prefix.size()), prefix);
    const size_t cipherLength = bytes.size() - prefix.size() - 48;
    EXPECT_EQ(cipherLength, 16u); // 14 bytes padded to one block

    EXPECT_EQ(encrypter.decryptString(*first), "target-token-1");
    EXPECT_EQ(TQTMEncrypter(defaults, clock).decryptString(*second), "target-token-1");
    EXPECT_EQ(metadata(), "kTMEncryptionKeyTagAlternate/2024-12-31T00:00:00.000Z");
}

TEST_F(TQTMEncrypterTest, TheFirstEncryptionMakesAndKeepsItsKeyPrivately)
{
    TQTMEncrypter encrypter(defaults, clock);
    ASSERT_TRUE(encrypter.encryptString("x"));
    const std::string item = "key='kTMEncryptionKeyTagAlternate', service='" +
                             TQTMKeychainUtil::defaultServiceName() + "'";
    const auto messages = logs.messages();
    const auto missing = std::find(messages.begin(), messages.end(),
                                   "Failed to retrieve item with " + item +
                                       " from keychain. OS Status code -25300");
    const auto stored =
        std::find(messages.begin(), messages.end(), "Stored a string with " + item + " to keychain.");
    ASSERT_NE(missing, messages.end());
    ASSERT_NE(stored, messages.end());
    EXPECT_LT(missing, stored);

    const std::optional<std::string> key =
        TQTMKeychainUtil::stringForKeyStatusCode(TQTMEncrypter::kAlternateKeyTag, nullptr);
    ASSERT_TRUE(key);
    EXPECT_EQ(bytesOf(*key).size(), 32u);

    struct stat folder {};
    struct stat file {};
    ASSERT_EQ(::stat((sonvaleDataDir() / "secrets").c_str(), &folder), 0);
    ASSERT_EQ(::stat((sonvaleDataDir() / "secrets" / "secrets.json").c_str(), &file), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
}

TEST_F(TQTMEncrypterTest, TheKeyRotatesAfterAYearAndOldTextsStillDecrypt)
{
    TQTMEncrypter encrypter(defaults, clock);
    const std::optional<std::string> old = encrypter.encryptString("old");
    ASSERT_TRUE(old);

    clock.advance(TQTMEncrypter::kRotationPeriod); // expiry exactly now: not yet expired
    EXPECT_EQ(encrypter.getCurrentKeyTag(), TQTMEncrypter::kAlternateKeyTag);

    clock.advance(std::chrono::milliseconds(1));
    const std::optional<std::string> rotated = encrypter.encryptString("new");
    ASSERT_TRUE(rotated);
    EXPECT_EQ(metadata(), "kTMEncryptionKeyTag/2025-12-31T00:00:00.001Z");
    const Data bytes = bytesOf(*rotated);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 20), "kTMEncryptionKeyTag/");

    TQTMEncrypter later(defaults, clock);
    EXPECT_EQ(later.decryptString(*old), "old");
    EXPECT_EQ(later.decryptString(*rotated), "new");

    // Another year on, back to the alternate key, which is still there.
    clock.advance(TQTMEncrypter::kRotationPeriod + std::chrono::seconds(1));
    EXPECT_EQ(later.getCurrentKeyTag(), TQTMEncrypter::kAlternateKeyTag);
    EXPECT_EQ(later.decryptString(*later.encryptString("again")), "again");
    EXPECT_EQ(later.decryptString(*old), "old");
}

TEST_F(TQTMEncrypterTest, AnUnreadableExpiryRotatesAtOnce)
{
    defaults->setObjectForKey("kTMEncryptionKeyTagAlternate/someday", TQTMEncrypter::kMetadataKey);
    EXPECT_EQ(TQTMEncrypter(defaults, clock).getCurrentKeyTag(), TQTMEncrypter::kKeyTag);
}

TEST_F(TQTMEncrypterTest, AlteredTruncatedAndForeignTextsAreRefused)
{
    TQTMEncrypter encrypter(defaults, clock);
    const std::optional<std::string> text = encrypter.encryptString("secret token");
    ASSERT_TRUE(text);
    Data tampered = bytesOf(*text);
    tampered.back() ^= 0x01;
    logs.clear();
    EXPECT_FALSE(encrypter.decryptString(base64Of(tampered)));
    EXPECT_EQ(logs.count("Could not authenticate MAC value."), 1u);

    EXPECT_FALSE(encrypter.decryptString("not base64 at all!"));
    EXPECT_EQ(logs.count("Conversion of encrypted string to NSData failed."), 1u);

    const Data whole = bytesOf(*text);
    const size_t header = std::string(kCurrentMetadata).size() + 1;
    for (const size_t length : {header, header + 15, header + 47}) // shorter than IV + MAC
        EXPECT_FALSE(encrypter.decryptData(Data(whole.begin(), whole.begin() + length))) << length;
    const std::string oldHeader = "kTMEncryptionKeyTag/AES/CBC/PKCS7/32:";
    EXPECT_FALSE(encrypter.decryptData(Data(oldHeader.begin(), oldHeader.end())));
}

TEST_F(TQTMEncrypterTest, BothOlderLayoutsStillRead)
{
    TQTMEncrypter encrypter(defaults, clock);
    const Data original = *encrypter.getKeyWithKeyTag(TQTMEncrypter::kKeyTag);
    const Data plain = {'o', 'l', 'd'};

    // Tagged, without MAC, under the stored key itself.
    const Data iv = *TQTMEncrypter::generateInitializationVector();
    const std::string metadata = TQTMEncrypter::getMetadataStringWithKeyTag(TQTMEncrypter::kKeyTag);
    Data tagged(metadata.begin(), metadata.end());
    tagged.push_back(':');
    tagged.insert(tagged.end(), iv.begin(), iv.end());
    const Data cipher =
        *TQTMEncrypter::performCryptoOperationInputInitializationVectorKey(0, plain, iv, original);
    tagged.insert(tagged.end(), cipher.begin(), cipher.end());
    EXPECT_EQ(encrypter.decryptData(tagged), plain);

    // Untagged: the whole text is cipher text under the first key and an all-zero vector (a text
    // with a ':' byte would read as tagged, so take one without).
    for (char last = 'a';; ++last) {
        const Data text = {'o', 'l', 'd', static_cast<uint8_t>(last)};
        const Data untagged = *TQTMEncrypter::performCryptoOperationInputInitializationVectorKey(
            0, text, std::nullopt, original);
        if (TQTMEncrypter::loadMetadataLocation(untagged))
            continue;
        EXPECT_EQ(encrypter.decryptData(untagged), text);
        break;
    }
}

TEST_F(TQTMEncrypterTest, SubkeysExpandTheKeyWithACounterByteFromZero)
{
    const Data key(32, 7);
    const Data first = TQTMEncrypter::getMacBytesKey(key, Data{0});
    const Data next = [&] {
        Data input = first;
        input.push_back(1);
        return TQTMEncrypter::getMacBytesKey(key, input);
    }();
    EXPECT_EQ(TQTMEncrypter::getSubkeyOutputSize(key, 32), first);
    EXPECT_EQ(TQTMEncrypter::getSubkeyOutputSize(key, 16), Data(first.begin(), first.begin() + 16));
    Data both = first;
    both.insert(both.end(), next.begin(), next.begin() + 8);
    EXPECT_EQ(TQTMEncrypter::getSubkeyOutputSize(key, 40), both);
}

TEST_F(TQTMEncrypterTest, KeychainItemsAreReplacedReadAndDeleted)
{
    EXPECT_TRUE(TQTMKeychainUtil::storeStringForKey("one", "k"));
    EXPECT_TRUE(TQTMKeychainUtil::storeStringForKey("two", "k"));
    int32_t status = 1;
    EXPECT_EQ(TQTMKeychainUtil::stringForKeyStatusCode("k", &status), "two");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(TQTMKeychainUtil::deleteStringForKey("k"), "two");
    EXPECT_FALSE(TQTMKeychainUtil::deleteStringForKey("k"));
    EXPECT_FALSE(TQTMKeychainUtil::stringForKeyStatusCode("k", &status));
    EXPECT_EQ(status, -25300);
    EXPECT_TRUE(TQTMKeychainUtil::storeStringForKey("three", "other"));
    EXPECT_TRUE(TQTMKeychainUtil::clear());
    EXPECT_FALSE(TQTMKeychainUtil::clear());
}
