#include "crashes/TQTMThread.h"

#include "crashes/TQTMErrorModelFields.h"
#include "crashes/TQTMExceptionModel.h"
#include "crashes/TQTMStackFrame.h"

using namespace tqtm_crashes::detail;

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
    putIfPresent(dictionary, "id", threadId_);
    putIfPresent(dictionary, "name", name_);
    putArrayIfPresent(dictionary, "frames", frames_);
    putObjectIfPresent(dictionary, "exception", exception_);
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
    return thread && threadId_ == thread->threadId_ && name_ == thread->name_ &&
           objectArraysEqual(frames_, thread->frames_) &&
           TQTMObjectsEqual(exception_, thread->exception_);
}

std::string TQTMThread::description() const { return serializeToDictionary().dump(); }

void TQTMThread::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    encodeNumber(coder, "id", threadId_);
    coder.encodeString("name", name_);
    if (frames_)
        coder.encodeObjectArray("frames", *frames_);
    coder.encodeObject("exception", exception_.get());
}

void TQTMThread::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    threadId_ = decodeNumber<int64_t>(coder, "id");
    name_ = coder.decodeString("name");
    frames_ = coder.decodeArrayOfObjectsOfClass<TQTMStackFrame>("frames");
    exception_ = coder.decodeObjectOfClass<TQTMExceptionModel>("exception");
}
