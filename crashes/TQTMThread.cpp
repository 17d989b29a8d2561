#include "crashes/TQTMThread.h"

#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMStackFrame.h"

TQTMThread::TQTMThread() : frames_(Frames{}) {}

void TQTMThread::addFrame(std::shared_ptr<TQTMStackFrame> frame)
{
    if (!frames_)
        frames_.emplace();
    frames_->push_back(std::move(frame));
}

TQTMJson TQTMThread::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

bool TQTMThread::isValid() const
{
    if (!threadId_)
        return TQTMReportInvalidField(archiveClassName(), "threadId");
    if (!frames_ || frames_->empty())
        return TQTMReportInvalidField(archiveClassName(), "frames");
    return true;
}

bool TQTMThread::isEqual(const TQTMSerializableObject& other) const
{
    const auto* thread = dynamic_cast<const TQTMThread*>(&other);
    return thread && TQTMFieldsEqual(*this, *thread, kFields);
}

std::string TQTMThread::description() const { return serializeToDictionary().dump(); }

void TQTMThread::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMThread::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeFields(coder, *this, kFields);
}
