#pragma once

// Facts about the running application that its update, rating and crash windows show or use.
// Main thread (the icon and the product facts of TQKitAppInfo are set up there); the texts are
// fixed for the life of the process.

#include <QIcon>
#include <QString>

#include <string>

QString TQKitApplicationName(); // "Sonvale"
std::string TQKitApplicationNameUTF8();
std::string TQKitApplicationVersion(); // "1.0.21"
int TQKitApplicationBuildNumber();     // 1021
QIcon TQKitApplicationIcon();
// The folder for the application's own data files (created when missing); empty when there is none.
std::string TQKitApplicationSupportDirectory();
// Where downloaded update packages are placed: the user's download folder, else the home folder.
std::string TQKitPackageFolder();
QString TQKitSupportURL();
QString TQKitProductPageURL();
// Remembers when the product page was last opened for an update (time stamp under "TQSetting",
// "ProductPageOpenedTimeStamp").
void TQKitNoteProductPageOpened();
// The application's identifier in an application store; empty, as Sonvale is not sold in one.
std::string TQKitRatingAppId();

// How much the application has been used, for the rating prompt's gate: A counts launches, B the
// distinct days with a launch. Both live in the text settings.
int TQKitRatingGateCountA();
int TQKitRatingGateCountB();
// Counts this launch (TQKitAppMain calls it once).
void TQKitNoteLaunch();
