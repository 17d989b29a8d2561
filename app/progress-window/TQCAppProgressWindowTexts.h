#pragma once

// Texts of the progress window: the rule that turns engine C texts into strings, the product's
// fixed texts and the size and time texts of the status lines. Safe from any thread.

#include <QString>

#include <cstdint>

// Engine text to string: null or empty gives the empty string; otherwise UTF-8, and when that is
// not valid UTF-8 or gives nothing, the bytes as ASCII (bytes above 127 dropped).
QString TQCAppTextFromKit(const char* text);

// The product's texts.
QString TQProductSearchingMessage(); // "Searching for audio and video files..."
QString TQProductNoFilesMessage();   // "Could not find supported audio or video files."
inline constexpr const char* TQProductVerbConverting = "Converting";
inline constexpr const char* TQProductVerbConverted = "Converted";
inline constexpr const char* TQProductVerbConvert = "Convert";

// "1.5 MB"-style size text of a byte count.
QString TQKitFormatByteSize(uint64_t bytes);
// A byte count as the engine reports it (a double) made safe: NaN and negative values give 0,
// values beyond the 64-bit range give the largest count.
uint64_t TQKitByteCountFromDouble(double bytes);
// "About 5 seconds remaining"-style text of a remaining time.
QString TQKitFormatTimeRemaining(double seconds);
