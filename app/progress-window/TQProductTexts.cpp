#include "app/progress-window/TQProductTexts.h"

#include <QString>

using namespace Qt::StringLiterals;

bool TQSourceFileFilter(const QString&) { return true; }

const std::vector<const char*>* TQProductExtensionList() { return nullptr; }

QString TQProductNoFilesMessage() { return u"Could not find supported audio or video files."_s; }

QString TQProductVerbConvert() { return u"Convert"_s; }

QString TQProductVerbConverting() { return u"Converting"_s; }

QString TQProductVerbConverted() { return u"Converted"_s; }

QString TQProductSearchingMessage() { return u"Searching for audio and video files..."_s; }
