#pragma once

// What the remote configuration says about a newer version of the application, for the update
// check and the new-version window. Every value is a parameter of TQKitRemoteParams (so the update
// feed, SONVALE_UPDATE_URL, supplies them together with the rest of the configuration); each is read
// afresh at every call, with an empty text or 0 while it is unknown. Any thread.
//
//   "TQKitUpdateAvailable"     not 0: a newer version exists (TQKitNewVersionAvailable)
//   "TQKitUpdateBuildNumber"   its build number
//   "TQKitUpdateTextURL"       its release notes (HTML)
//   "TQKitUpdateDownloadURL"   its package
//   "TQKitUpdatePageURL"       its web page
//   "TQKitUpdateTitleText", "TQKitUpdateMessageText"  the window's heading and message ("\n" in the
//                              text: a line feed)
//   "TQKitUpdateWindow..."     the window's looks and switches (TQKitUpdateWindowInfo below)

#include <cstdint>
#include <string>

std::string TQKitUpdateTextURL();
std::string TQKitUpdateDownloadURL();
std::string TQKitUpdatePageURL();
std::string TQKitUpdateTitleText();
std::string TQKitUpdateMessageText();
int TQKitUpdateBuildNumber();

struct TQKitUpdateWindowInfo {
    std::string title;             // "TQKitUpdateWindowTitle"
    int width = 0;                 // "TQKitUpdateWindowWidth"
    int height = 0;                // "TQKitUpdateWindowHeight"
    std::string skipText;          // "TQKitUpdateWindowSkipText"
    int skipWidth = 0;             // "TQKitUpdateWindowSkipWidth"
    std::string remindText;        // "TQKitUpdateWindowRemindText"
    int remindWidth = 0;           // "TQKitUpdateWindowRemindWidth"
    std::string installText;       // "TQKitUpdateWindowInstallText"
    int installWidth = 0;          // "TQKitUpdateWindowInstallWidth"
    int64_t value64 = 0;           // "TQKitUpdateWindowV64": skip re-show delay; above 0 also a download box without Cancel
    int64_t countdown = 0;         // "TQKitUpdateWindowCountdown": seconds before Install runs by itself
    int background[3] = {0, 0, 0}; // "TQKitUpdateWindowBackgroundR", "...G", "...B": content colour
    int minTitleHeight = 0;        // "TQKitUpdateWindowMinTitleHeight"
    int minMessageHeight = 0;      // "TQKitUpdateWindowMinMessageHeight"
    bool stayInFront = false;      // "TQKitUpdateWindowStayInFront"
    bool hideIcon = false;         // "TQKitUpdateWindowHideIcon"
    bool notClosable = false;      // "TQKitUpdateWindowNotClosable"
    bool notMiniaturizable = false; // "TQKitUpdateWindowNotMiniaturizable"
    bool installWithoutAsking = false; // "TQKitUpdateWindowInstallWithoutAsking"
    bool iconClickInstalls = false; // "TQKitUpdateWindowIconClickInstalls"
    bool linksOpenOutside = false;  // "TQKitUpdateWindowLinksOpenOutside"
};

TQKitUpdateWindowInfo TQKitUpdateWindowInfoRead();
