#pragma once

#include <QString>

// Facts about the product that the process hands TQKitAppMain: codes, identifiers and web pages.
// Set once before the main loop starts; read on the main thread afterwards.
struct TQKitAppInfo {
    QString productCode;     // six characters, e.g. "sonva1"
    QString storeAppId;
    QString productPageUrl;
    QString productPageUrlAgain; // the product page as the second entry point names it
    QString supportPageUrl;
    QString versionId;       // e.g. "com.telquor.Sonvale-FS-1.0.21"

    // The version number at the end of the version identifier ("1.0.21").
    QString version() const;

    static const TQKitAppInfo& current();
    static void setCurrent(TQKitAppInfo info);
};
