#include "app/preferences/TQAudFormatPanelAIFFController.h"

#include "platform/tqkit/TQAIFFSettingsRecord.h"

using namespace Qt::StringLiterals;

TQAudFormatPanelAIFFController::TQAudFormatPanelAIFFController(QObject* parent)
    : TQAudFormatPanelPCMController(u"AIFF"_s,
                                    {{kTQPCMCodecAutomatic, u"Automatic Selection"_s},
                                     {-1, {}},
                                     {kTQPCMCodecPCM8, u"PCM 8 Bit"_s},
                                     {kTQPCMCodecPCM16BE, u"PCM 16 Bit"_s},
                                     {kTQPCMCodecPCM24BE, u"PCM 24 Bit"_s},
                                     {kTQPCMCodecPCM32BE, u"PCM 32 Bit"_s},
                                     {kTQPCMCodecFloat32BE, u"PCM 32 Bit Floating Point"_s},
                                     {-1, {}},
                                     {kTQPCMCodecPCM8Unsigned, u"PCM 8 Bit Unsigned"_s},
                                     {kTQPCMCodecPCM16LE, u"PCM 16 Bit Little Endian"_s},
                                     {-1, {}},
                                     {kTQPCMCodecALaw, u"G.711 A-Law"_s},
                                     {kTQPCMCodecMuLaw, u"G.711 μ-Law"_s},
                                     {-1, {}},
                                     {kTQPCMCodecADPCMIMAQuickTime, u"ADPCM IMA QuickTime"_s}},
                                    false, parent)
{
}

TQAudFormatPanelPCMController::Options TQAudFormatPanelAIFFController::loadOptions() const
{
    TQAIFFSettingsRecord record;
    TQKitAIFFSettingsLoad(&record);
    return {record.codec, record.sampleRate, record.channels, 0};
}

void TQAudFormatPanelAIFFController::saveOptions(const Options& options) const
{
    TQAIFFSettingsRecord record;
    TQKitAIFFSettingsLoad(&record);
    record.codec = options.codec;
    record.sampleRate = options.sampleRate;
    record.channels = options.channels;
    TQKitAIFFSettingsSave(&record);
}

void TQAudFormatPanelAIFFController::resetOptions() const { TQKitAIFFSettingsReset(); }
