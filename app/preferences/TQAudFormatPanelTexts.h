#pragma once

#include <QString>

// Help texts that several format panels share.

// The channels pop-up of the panels with "As Source", "Mono" and "Stereo".
QString TQAudFormatPanelChannelsHelp();
// The sample-rate pop-up; `range` names the fixed rates offered ("8000 - 192000 Hz").
QString TQAudFormatPanelSampleRateHelp(const QString& range);
