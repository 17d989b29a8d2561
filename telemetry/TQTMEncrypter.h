#pragma once

#include "platform/system/Clock.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class TQTMTelemetryUserDefaults;

// Encrypts tokens before they are written to disk, into self-describing base64 texts:
//   "<key tag>/AES/HmacSHA256/CBC/PKCS7/32" ":" IV(16) MAC(32) ciphertext
// AES-256-CBC under a subkey of the named key, authenticated by HMAC-SHA256 of the ciphertext.
// The keys are made on this machine and kept in the secret store; the key that encrypts changes
// every 365 days between two tags, and the tag in each text keeps older texts readable. Two older
// layouts (tagged without MAC; untagged) are still read.
//
// Safe from any thread: the tag choice with its rotation and the making of a missing key run
// under one process-wide lock, so a tag rotates once and a key is made once.
class TQTMEncrypter final {
public:
    using Data = std::vector<uint8_t>;

    static constexpr const char* kKeyTag = "kTMEncryptionKeyTag";
    static constexpr const char* kAlternateKeyTag = "kTMEncryptionKeyTagAlternate";
    static constexpr const char* kMetadataKey = "EncryptionKeyMetadata";
    static constexpr std::chrono::seconds kRotationPeriod{31'536'000};
    static constexpr size_t kKeySize = 32;
    static constexpr size_t kIvSize = 16;
    static constexpr size_t kMacSize = 32;

    // The metadata lives in the telemetry defaults; the clock dates the rotation and must outlive
    // the encrypter.
    TQTMEncrypter(std::shared_ptr<TQTMTelemetryUserDefaults> defaults, const sonvale::Clock& clock);
    // Over the shared defaults and the system clock.
    TQTMEncrypter();

    std::optional<std::string> encryptString(const std::string& string);
    std::optional<Data> encryptData(const Data& data);
    // Nothing for a text that is no base64, too short for its layout, fails its MAC or padding,
    // or is not UTF-8 text.
    std::optional<std::string> decryptString(const std::string& string);
    std::optional<Data> decryptData(const Data& data);

    // The tag to encrypt with, rotating when its key has expired.
    std::string getCurrentKeyTag();
    void rotateToNewKeyTag(const std::string& tag);
    // The key of the tag, made and stored when there is none yet; nothing when none can be made.
    std::optional<Data> getKeyWithKeyTag(const std::string& tag);

    static std::optional<Data> generateAndSaveKeyWithTag(const std::string& tag);
    static std::optional<Data> generateInitializationVector();
    // Operation 0 encrypts, 1 decrypts; AES-256-CBC with PKCS#7 padding (no vector: all zero).
    static std::optional<Data> performCryptoOperationInputInitializationVectorKey(
        int operation, const Data& input, const std::optional<Data>& iv, const Data& key);
    static std::string getMetadataStringWithKeyTagEncryptionAlgorithmName(
        const std::string& tag, const std::string& algorithmName);
    static std::string getMetadataStringWithKeyTag(const std::string& tag);
    static Data getMacBytesKey(const Data& key, const Data& data);
    // HMAC-SHA256 counter-mode expansion of the key to `outputSize` bytes (at least 1).
    static Data getSubkeyOutputSize(const Data& key, size_t outputSize);
    static std::optional<size_t> loadMetadataLocation(const Data& data);
    static bool hasOldMetadataKeyTag(const std::string& metadata, const std::string& tag);

private:
    std::shared_ptr<TQTMTelemetryUserDefaults> defaults_;
    const sonvale::Clock& clock_;
    std::mutex keysMutex_;
    std::optional<Data> originalKeyData_;
    std::optional<Data> alternateKeyData_;
};
