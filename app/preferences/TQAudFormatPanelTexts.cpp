#include "app/preferences/TQAudFormatPanelTexts.h"

using namespace Qt::StringLiterals;

QString TQAudFormatPanelChannelsHelp()
{
    return u"Channels\n\nAs Source - encoded audio will have the same number of channels as source audio.\n\nMono - "
           u"this option will generate a mono audio. If the source audio has more than one channel, it will be "
           u"downmixed to a mono.\n\nStereo - this option will generate a stereo audio. If the source audio has more "
           u"than two channels, it will be downmixed to a stereo."_s;
}

QString TQAudFormatPanelSampleRateHelp(const QString& range)
{
    return u"Sample Rate\n\nAs Source - encoded audio will have the same sample rate as source audio.\n\n"_s + range
           + u" - fixed sample rates to encode audio. If sample rate of source audio differs from specified sample "
             u"rate, it will be downsampled or upsampled."_s;
}
