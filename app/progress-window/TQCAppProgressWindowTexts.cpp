#include "app/progress-window/TQCAppProgressWindowTexts.h"

#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

QString TQCAppTextFromKit(const char* text)
{
    if (text == nullptr || *text == '\0')
        return {};
    const QByteArray bytes(text, static_cast<qsizetype>(std::strlen(text)));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError() && !decoded.isEmpty())
        return decoded;
    QString ascii;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 128)
            ascii.append(QLatin1Char(c));
    }
    return ascii;
}

QString TQProductSearchingMessage() { return u"Searching for audio and video files..."_s; }

QString TQProductNoFilesMessage() { return u"Could not find supported audio or video files."_s; }

QString TQKitFormatByteSize(uint64_t bytes)
{
    return QLocale::c().formattedDataSize(static_cast<qint64>(std::min<uint64_t>(bytes, std::numeric_limits<qint64>::max())),
                                          1, QLocale::DataSizeSIFormat);
}

uint64_t TQKitByteCountFromDouble(double bytes)
{
    if (std::isnan(bytes) || bytes <= 0.0)
        return 0;
    // 2^64 as a double; anything at or above it does not fit.
    if (bytes >= 18446744073709551616.0)
        return std::numeric_limits<uint64_t>::max();
    return static_cast<uint64_t>(bytes);
}

QString TQKitFormatTimeRemaining(double seconds)
{
    const auto whole = static_cast<long long>(std::llround(std::max(0.0, seconds)));
    if (whole < 60)
        return u"About %1 second%2 remaining"_s.arg(whole).arg(whole == 1 ? u""_s : u"s"_s);
    const long long minutes = (whole + 30) / 60;
    if (minutes < 60)
        return u"About %1 minute%2 remaining"_s.arg(minutes).arg(minutes == 1 ? u""_s : u"s"_s);
    const long long hours = minutes / 60;
    return u"About %1 hour%2 %3 minutes remaining"_s.arg(hours).arg(hours == 1 ? u""_s : u"s"_s).arg(minutes % 60);
}
