#pragma once

#include "platform/system/Clock.h"
#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMArchiverUtil.h"
#include "telemetry/TQTMSerializableObject.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using TQTMData = std::vector<uint8_t>;

// Shared services of the telemetry client and the crash service: the client's identity, dates,
// files in the telemetry folder, keyed archives and text helpers. Stateless; file operations hold
// one process-wide re-entrant lock, the rest may run anywhere at once.
class TQTMUtility final {
public:
    TQTMUtility() = delete;

    // Identity of the client, as sent with every device record.
    static std::string sdkName();
    static std::string sdkVersion();
    // The application's environment: always 99 (other) here.
    static int currentAppEnvironment();

    // Dates: ISO 8601 in UTC with milliseconds, "yyyy-MM-ddTHH:mm:ss.SSSZ".
    static double nowInMilliseconds(const sonvale::Clock& clock);
    static std::string dateToISO8601(sonvale::TimePoint date);
    static std::optional<sonvale::TimePoint> dateFromISO8601(std::string_view text);

    // Files below the telemetry folder; every component is relative to it and may not leave it.
    static std::filesystem::path telemetryDirectoryURL();
    static std::optional<std::filesystem::path>
    createFileAtPathComponentWithDataAtomicallyForceOverwrite(const std::string& component,
                                                              const TQTMData& data, bool atomically,
                                                              bool forceOverwrite);
    static bool deleteItemForPathComponent(const std::string& component);
    static bool deleteFileAtURL(const std::filesystem::path& url);
    static std::optional<std::filesystem::path>
    createDirectoryForPathComponent(const std::string& component);
    static std::optional<TQTMData> loadDataForPathComponent(const std::string& component);
    static std::optional<std::vector<std::filesystem::path>>
    contentsOfDirectory(const std::string& component);
    static bool createFileAtPathContents(const std::filesystem::path& path,
                                         const TQTMData& contents);
    static bool fileExistsForPathComponent(const std::string& component);
    static std::optional<std::filesystem::path>
    fullURLForPathComponent(const std::string& component);
    static bool createDirectoryAtURL(const std::filesystem::path& url);

    // Keyed archives of model objects (one root object, or an array of them). Reading accepts only
    // the classes registered with TQTMArchiverUtil and logs why an archive is refused.
    static std::optional<TQTMData> archiveKeyedData(const sonvale::KeyedArchivable* object);
    template <class T>
    static std::optional<TQTMData> archiveKeyedArray(const std::vector<std::shared_ptr<T>>& objects)
    {
        sonvale::KeyedArchiver archiver;
        archiver.encodeObjectArray(sonvale::KeyedArchiver::kRootKey, objects);
        return archiver.finish();
    }
    template <class T>
    static std::shared_ptr<T> unarchiveKeyedData(const std::optional<TQTMData>& data)
    {
        if (!data)
            return nullptr;
        sonvale::KeyedUnarchiver unarchiver(*data, TQTMArchiverUtil::registry());
        auto object = unarchiver.decodeObjectOfClass<T>(sonvale::KeyedArchiver::kRootKey);
        return unarchivingSucceeded(unarchiver, object != nullptr) ? object : nullptr;
    }
    template <class T>
    static std::optional<std::vector<std::shared_ptr<T>>>
    unarchiveKeyedArray(const std::optional<TQTMData>& data)
    {
        if (!data)
            return std::nullopt;
        sonvale::KeyedUnarchiver unarchiver(*data, TQTMArchiverUtil::registry());
        auto objects = unarchiver.decodeArrayOfObjectsOfClass<T>(sonvale::KeyedArchiver::kRootKey);
        if (!unarchivingSucceeded(unarchiver, objects.has_value()))
            return std::nullopt;
        return objects;
    }

    // The start-up secret text: "secret", "appsecret=secret", "macos=secret" and "target=token"
    // parts separated by ";".
    static std::optional<std::string> appSecretFrom(std::string_view secretText);
    static std::optional<std::string> transmissionTargetTokenFrom(std::string_view secretText);
    static std::optional<std::string> targetKeyFromTargetToken(std::string_view token);
    static std::optional<std::string> iKeyFromTargetToken(std::string_view token);
    // Indented JSON for logs; text that is not JSON comes back unchanged.
    static std::string prettyPrintJson(std::string_view json);
    // Lowercase hex SHA-256 of ASCII text (up to a NUL); nothing for other text.
    static std::optional<std::string> sha256(std::string_view text);
    // Masking of secrets in logged traffic. Both scan the text once, so a body of any size is
    // masked in linear time and constant stack.
    // Every member "name" (name matched case-insensitively) whose value is a non-empty string,
    // with white space allowed around the colon, becomes "name" : "***".
    static std::string obfuscateJsonStringMembersNamed(std::string_view text,
                                                       std::string_view name);
    // Every colon with the run of characters after it up to the next double quote (or the end)
    // becomes ":***".
    static std::string obfuscateAfterEveryColon(std::string_view text);

    // JSON text of a model dictionary; invalid UTF-8 is written as replacement characters.
    static std::string jsonText(const TQTMJson& value, bool prettyPrint);

    // The accepted properties of a log: at most 20 string entries, keys and values cut to 125
    // UTF-16 units (never inside a character); each refusal is logged with the log's type and name.
    static std::map<std::string, std::string>
    validatePropertiesForLogNameType(const TQTMJson& properties, const std::string& logName,
                                     const std::string& type);

private:
    static bool unarchivingSucceeded(const sonvale::KeyedUnarchiver& unarchiver, bool gotResult);
};
