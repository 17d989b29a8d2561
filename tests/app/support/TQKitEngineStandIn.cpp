#include "tests/app/support/TQKitEngineStandIn.h"

#include "platform/tqkit/TQTaskInfoRecord.h"

#include <memory>
#include <optional>

class TQKitConverter {};

class TQKitConversionList {
public:
    int references = 1;
    int state = kTQKitListStateNew;
    bool stopped = false;
    std::string destination;
    std::optional<TQTaskInfoRecord> record;
};

namespace {

struct Script {
    int converterCreateError = 0;
    int listCreateError = 0;
    int processCount = 0;
    int liveLists = 0;
    int liveConverters = 0;
};

Script& script()
{
    static Script instance;
    return instance;
}

} // namespace

namespace sonvale::test::engine {

void reset()
{
    const int lists = script().liveLists;
    const int converters = script().liveConverters;
    script() = Script{};
    script().liveLists = lists;
    script().liveConverters = converters;
}

void setConverterCreateError(int code) { script().converterCreateError = code; }
void setListCreateError(int code) { script().listCreateError = code; }
void setProcessCount(int count) { script().processCount = count; }
int liveListCount() { return script().liveLists; }
int liveConverterCount() { return script().liveConverters; }

void setListState(TQKitConversionList* list, int state) { list->state = state; }
std::string listDestination(const TQKitConversionList* list) { return list->destination; }
int listReferenceCount(const TQKitConversionList* list) { return list->references; }

} // namespace sonvale::test::engine

int TQKitConverterCreate(TQKitConverter** slot)
{
    if (script().converterCreateError != 0) {
        *slot = nullptr;
        return script().converterCreateError;
    }
    *slot = new TQKitConverter;
    ++script().liveConverters;
    return 0;
}

void TQKitConverterDestroy(TQKitConverter** slot)
{
    if (slot == nullptr || *slot == nullptr)
        return;
    delete *slot;
    *slot = nullptr;
    --script().liveConverters;
}

bool TQKitConverterIsIdle(const TQKitConverter*) { return script().processCount == 0; }
int TQKitConverterProcessCount(const TQKitConverter*) { return script().processCount; }
void TQKitConverterReleaseList(TQKitConverter*, TQKitConversionList*) {}

int TQKitConversionListCreate(TQKitConversionList** out)
{
    if (script().listCreateError != 0) {
        *out = nullptr;
        return script().listCreateError;
    }
    *out = new TQKitConversionList;
    ++script().liveLists;
    return 0;
}

void TQKitConversionListRetain(TQKitConversionList* list) { ++list->references; }

void TQKitConversionListRelease(TQKitConversionList* list)
{
    if (list == nullptr || --list->references > 0)
        return;
    delete list;
    --script().liveLists;
}

void TQKitConversionListSetDestination(TQKitConversionList* list, const uint8_t* data, size_t length)
{
    list->destination.assign(reinterpret_cast<const char*>(data), length);
}

void TQKitConversionListSetTaskInfo(TQKitConversionList* list, const TQTaskInfoRecord* record)
{
    list->record = *record;
}

bool TQKitConversionListGetTaskInfo(const TQKitConversionList* list, TQTaskInfoRecord* record)
{
    if (!list->record)
        return false;
    *record = *list->record;
    return true;
}

int TQKitConversionListState(const TQKitConversionList* list)
{
    return list->stopped ? kTQKitListStateFinished : list->state;
}

void TQKitConversionListStop(TQKitConversionList* list) { list->stopped = true; }
bool TQKitConversionListIsStopped(const TQKitConversionList* list) { return list->stopped; }
