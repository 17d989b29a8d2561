#pragma once

// The product's fixed words and its source filter, read by the progress window. Any thread.

#include <vector>

class QString;

// Every file name is a possible source: the engine decides what it can convert.
bool TQSourceFileFilter(const QString& fileName);
// No extension list restricts the sources (null).
const std::vector<const char*>* TQProductExtensionList();
QString TQProductNoFilesMessage();
QString TQProductVerbConvert();
QString TQProductVerbConverting();
QString TQProductVerbConverted();
QString TQProductSearchingMessage();
