#include "app/preferences/TQAudFormatPanelWAVController.h"

#include "platform/tqkit/TQWAVSettingsRecord.h"

using namespace Qt::StringLiterals;

TQAudFormatPanelWAVController::TQAudFormatPanelWAVController(QObject* parent)
    : TQAudFormatPanelPCMController(u"WAV"_s,
                                    {{kTQPCMCodecAutomatic, u"Automatic Selection"_s},
                                     {-1, {}},
                                     {kTQPCMCodecPCM8Unsigned, u"PCM 8 Bit"_s},
                                     {kTQPCMCodecPCM16LE, u"PCM 16 Bit"_s},
                                     {kTQPCMCodecPCM24LE, u"PCM 24 Bit"_s},
                                     {kTQPCMCodecPCM32LE, u"PCM 32 Bit"_s},
                                     {kTQPCMCodecFloat32LE, u"PCM 32 Bit Floating Point"_s},
                                     {-1, {}},
                                     {kTQPCMCodecALaw, u"G.711 A-Law"_s},
                                     {kTQPCMCodecMuLaw, u"G.711 μ-Law"_s},
                                     {-1, {}},
                                     {kTQPCMCodecADPCMIMAWAV, u"ADPCM IMA"_s},
                                     {kTQPCMCodecADPCMMicrosoft, u"ADPCM Microsoft"_s},
                                     {-1, {}},
                                     {kTQPCMCodecGSMMicrosoft, u"GSM 6.10 / Microsoft Variant"_s}},
                                    true, parent)
{
}

TQAudFormatPanelPCMController::Options TQAudFormatPanelWAVController::loadOptions() const
{
    TQWAVSettingsRecord record;
    TQKitWAVSettingsLoad(&record);
    return {record.codec, record.sampleRate, record.channels, record.tagsFormat};
}

void TQAudFormatPanelWAVController::saveOptions(const Options& options) const
{
    TQWAVSettingsRecord record;
    TQKitWAVSettingsLoad(&record);
    record.codec = options.codec;
    record.sampleRate = options.sampleRate;
    record.channels = options.channels;
    record.tagsFormat = options.tagsFormat;
    TQKitWAVSettingsSave(&record);
}

void TQAudFormatPanelWAVController::resetOptions() const { TQKitWAVSettingsReset(); }
