#include "telemetry/TQTMEncrypter.h"

#include "platform/system/Base64.h"
#include "platform/system/Utf16.h"
#include "telemetry/TQTMKeychainUtil.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMTelemetryUserDefaults.h"
#include "telemetry/TQTMUtility.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <string_view>

namespace {

constexpr const char* kAlgorithmName = "AES/HmacSHA256";
constexpr const char* kOldAlgorithmName = "AES";
constexpr uint8_t kSeparator = ':';

// Rotation of the tag and making of missing keys happen once in the whole process.
std::recursive_mutex& processLock()
{
    static std::recursive_mutex mutex;
    return mutex;
}

std::string asText(const TQTMEncrypter::Data& data)
{
    return std::string(data.begin(), data.end());
}

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

} // namespace

TQTMEncrypter::TQTMEncrypter(std::shared_ptr<TQTMTelemetryUserDefaults> defaults,
                             const sonvale::Clock& clock)
    : defaults_(std::move(defaults)), clock_(clock)
{}

TQTMEncrypter::TQTMEncrypter()
    : TQTMEncrypter(TQTMTelemetryUserDefaults::shared(), sonvale::systemClock())
{}

std::optional<std::string> TQTMEncrypter::encryptString(const std::string& string)
{
    const std::optional<Data> encrypted = encryptData(Data(string.begin(), string.end()));
    if (!encrypted)
        return std::nullopt;
    return sonvale::base64Encode(encrypted->data(), encrypted->size());
}

std::optional<TQTMEncrypter::Data> TQTMEncrypter::encryptData(const Data& data)
{
    const std::string tag = getCurrentKeyTag();
    const std::optional<Data> key = getKeyWithKeyTag(tag);
    const std::optional<Data> iv = generateInitializationVector();
    if (!key || !iv)
        return std::nullopt;
    const std::optional<Data> cipherText = performCryptoOperationInputInitializationVectorKey(
        0, data, iv, getSubkeyOutputSize(*key, kKeySize));
    if (!cipherText)
        return std::nullopt;
    const Data mac = getMacBytesKey(getSubkeyOutputSize(*key, 16), *cipherText);

    const std::string metadata = getMetadataStringWithKeyTagEncryptionAlgorithmName(tag, kAlgorithmName);
    Data out(metadata.begin(), metadata.end());
    out.push_back(kSeparator);
    out.insert(out.end(), iv->begin(), iv->end());
    out.insert(out.end(), mac.begin(), mac.end());
    out.insert(out.end(), cipherText->begin(), cipherText->end());
    return out;
}

std::optional<std::string> TQTMEncrypter::decryptString(const std::string& string)
{
    const std::optional<Data> data = sonvale::base64Decode(string);
    if (!data) {
        TQTMLogWarning(kTQTMCoreLogTag, "Conversion of encrypted string to NSData failed.");
        return std::nullopt;
    }
    const std::optional<Data> plain = decryptData(*data);
    if (!plain)
        return std::nullopt;
    const std::string text = asText(*plain);
    if (!sonvale::isValidUtf8(text)) {
        TQTMLogWarning(kTQTMCoreLogTag, "Converting decrypted NSData to NSString failed.");
        return std::nullopt;
    }
    return text;
}

std::optional<TQTMEncrypter::Data> TQTMEncrypter::decryptData(const Data& data)
{
    const std::optional<size_t> separator = loadMetadataLocation(data);
    if (!separator) {
        const std::optional<Data> key = getKeyWithKeyTag(kKeyTag);
        if (!key)
            return std::nullopt;
        return performCryptoOperationInputInitializationVectorKey(1, data, std::nullopt, *key);
    }
    const std::string metadata(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(*separator));
    const std::string tag = metadata.substr(0, metadata.find('/'));
    const size_t ivStart = *separator + 1;
    const bool withoutMac = hasOldMetadataKeyTag(metadata, tag);
    // Texts too short for their layout's fixed parts are not decryptable.
    if (data.size() < ivStart + kIvSize + (withoutMac ? 0 : kMacSize))
        return std::nullopt;
    const std::optional<Data> key = getKeyWithKeyTag(tag);
    if (!key)
        return std::nullopt;
    const Data iv(data.begin() + static_cast<std::ptrdiff_t>(ivStart),
                  data.begin() + static_cast<std::ptrdiff_t>(ivStart + kIvSize));
    if (withoutMac)
        return performCryptoOperationInputInitializationVectorKey(
            1, Data(data.begin() + static_cast<std::ptrdiff_t>(ivStart + kIvSize), data.end()), iv,
            *key);

    const size_t macStart = ivStart + kIvSize;
    const Data storedMac(data.begin() + static_cast<std::ptrdiff_t>(macStart),
                         data.begin() + static_cast<std::ptrdiff_t>(macStart + kMacSize));
    const Data cipherText(data.begin() + static_cast<std::ptrdiff_t>(macStart + kMacSize), data.end());
    const Data mac = getMacBytesKey(getSubkeyOutputSize(*key, 16), cipherText);
    // A text whose MAC does not match was altered (or made under another key): it is refused.
    if (CRYPTO_memcmp(mac.data(), storedMac.data(), kMacSize) != 0) {
        TQTMLogError(kTQTMCoreLogTag, "Could not authenticate MAC value.");
        return std::nullopt;
    }
    return performCryptoOperationInputInitializationVectorKey(
        1, cipherText, iv, getSubkeyOutputSize(*key, kKeySize));
}

std::string TQTMEncrypter::getCurrentKeyTag()
{
    std::lock_guard lock(processLock());
    const std::optional<nlohmann::json> stored = defaults_->objectForKey(kMetadataKey);
    if (!stored || !stored->is_string()) {
        rotateToNewKeyTag(kAlternateKeyTag);
        return kAlternateKeyTag;
    }
    const std::string metadata = stored->get<std::string>();
    const size_t slash = metadata.find('/');
    const std::string tag = metadata.substr(0, slash);
    const std::optional<sonvale::TimePoint> expiry =
        slash == std::string::npos ? std::nullopt
                                   : TQTMUtility::dateFromISO8601(metadata.substr(slash + 1));
    if (expiry && *expiry >= clock_.now())
        return tag;
    const std::string next = tag == kKeyTag ? kAlternateKeyTag : kKeyTag;
    rotateToNewKeyTag(next);
    return next;
}

void TQTMEncrypter::rotateToNewKeyTag(const std::string& tag)
{
    const auto expiry = std::chrono::time_point_cast<sonvale::TimePoint::duration>(
        clock_.now() + kRotationPeriod);
    defaults_->setObjectForKey(tag + "/" + TQTMUtility::dateToISO8601(expiry), kMetadataKey);
}

std::optional<TQTMEncrypter::Data> TQTMEncrypter::getKeyWithKeyTag(const std::string& tag)
{
    const bool original = tag == kKeyTag;
    {
        std::lock_guard lock(keysMutex_);
        if (const std::optional<Data>& known = original ? originalKeyData_ : alternateKeyData_)
            return known;
    }
    const auto storedKey = [&tag]() -> std::optional<Data> {
        const std::optional<std::string> text = TQTMKeychainUtil::stringForKeyStatusCode(tag, nullptr);
        if (!text)
            return std::nullopt;
        return sonvale::base64Decode(*text);
    };
    if (std::optional<Data> key = storedKey())
        return key;

    std::lock_guard lock(processLock());
    std::optional<Data> key = storedKey();
    if (!key)
        key = generateAndSaveKeyWithTag(tag);
    if (key) {
        std::lock_guard keysLock(keysMutex_);
        (original ? originalKeyData_ : alternateKeyData_) = key;
    }
    return key;
}

std::optional<TQTMEncrypter::Data> TQTMEncrypter::generateAndSaveKeyWithTag(const std::string& tag)
{
    Data key(kKeySize);
    if (RAND_bytes(key.data(), static_cast<int>(key.size())) != 1) {
        TQTMLogError(kTQTMCoreLogTag, "Error generating encryption key. Error code: " +
                                          std::to_string(ERR_get_error()));
        return std::nullopt;
    }
    // A key that cannot be kept would make every text unreadable at the next launch: nothing is
    // encrypted with it.
    if (!TQTMKeychainUtil::storeStringForKey(sonvale::base64Encode(key.data(), key.size()), tag))
        return std::nullopt;
    return key;
}

std::optional<TQTMEncrypter::Data> TQTMEncrypter::generateInitializationVector()
{
    Data iv(kIvSize);
    if (RAND_bytes(iv.data(), static_cast<int>(iv.size())) != 1) {
        TQTMLogError(kTQTMCoreLogTag, "Error generating initialization vector. Error code: " +
                                          std::to_string(ERR_get_error()));
        return std::nullopt;
    }
    return iv;
}

std::optional<TQTMEncrypter::Data> TQTMEncrypter::performCryptoOperationInputInitializationVectorKey(
    int operation, const Data& input, const std::optional<Data>& iv, const Data& key)
{
    const Data zeroIv(kIvSize, 0);
    const Data& vector = iv && iv->size() == kIvSize ? *iv : zeroIv;
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> context(EVP_CIPHER_CTX_new());
    Data out(input.size() + 17);
    int written = 0;
    int finalWritten = 0;
    const bool ok =
        context && key.size() == kKeySize &&
        EVP_CipherInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, key.data(), vector.data(),
                          operation == 0 ? 1 : 0) == 1 &&
        EVP_CipherUpdate(context.get(), out.data(), &written, input.data(),
                         static_cast<int>(input.size())) == 1 &&
        EVP_CipherFinal_ex(context.get(), out.data() + written, &finalWritten) == 1;
    if (!ok) {
        TQTMLogError(kTQTMCoreLogTag, "Error performing encryption or decryption.");
        return std::nullopt;
    }
    out.resize(static_cast<size_t>(written + finalWritten));
    return out;
}

std::string TQTMEncrypter::getMetadataStringWithKeyTagEncryptionAlgorithmName(
    const std::string& tag, const std::string& algorithmName)
{
    return tag + "/" + algorithmName + "/CBC/PKCS7/32";
}

std::string TQTMEncrypter::getMetadataStringWithKeyTag(const std::string& tag)
{
    return getMetadataStringWithKeyTagEncryptionAlgorithmName(tag, kOldAlgorithmName);
}

TQTMEncrypter::Data TQTMEncrypter::getMacBytesKey(const Data& key, const Data& data)
{
    Data mac(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), data.data(), data.size(),
         mac.data(), &length);
    mac.resize(length);
    return mac;
}

TQTMEncrypter::Data TQTMEncrypter::getSubkeyOutputSize(const Data& key, size_t outputSize)
{
    // Sizes come from this class only (16 and 32); zero would be a programming error.
    Data out;
    Data block;
    for (uint8_t counter = 0; out.size() < outputSize; ++counter) {
        Data input = block;
        input.push_back(counter);
        block = getMacBytesKey(key, input);
        out.insert(out.end(), block.begin(), block.end());
    }
    out.resize(outputSize);
    return out;
}

std::optional<size_t> TQTMEncrypter::loadMetadataLocation(const Data& data)
{
    const auto found = std::find(data.begin(), data.end(), kSeparator);
    if (found == data.end())
        return std::nullopt;
    return static_cast<size_t>(found - data.begin());
}

bool TQTMEncrypter::hasOldMetadataKeyTag(const std::string& metadata, const std::string& tag)
{
    return metadata == getMetadataStringWithKeyTag(tag);
}
