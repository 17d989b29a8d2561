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
    bool converterCreateFails = false;
    bool listCreateFails = false;
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

void setConverterCreateFails(bool fails) { script().converterCreateFails = fails; }
void setListCreateFails(bool fails) { script().listCreateFails = fails; }
void setProcessCount(int count) { script().processCount = count; }
int liveListCount() { return script().liveLists; }
int liveConverterCount() { return script().liveConverters; }

void setListState(TQKitConversionList* list, int state) { list->state = state; }
std::string listDestination(const TQKitConversionList* list) { return list->destination; }
int listReferenceCount(const TQKitConversionList* list) { return list->references; }

} // namespace sonvale::test::engine

void TQKitConverterCreate(TQKitConverter** slot)
{
    if (script().converterCreateFails) {
        *slot = nullptr;
        return;
    }
    *slot = new TQKitConverter;
    ++script().liveConverters;
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

void TQKitConversionListCreate(TQKitConversionList** out)
{
    if (script().listCreateFails) {
        *out = nullptr;
        return;
    }
    *out = new TQKitConversionList;
    ++script().liveLists;
}

void TQKitConversionListRetain(TQKitConversionList* list) { ++list->references; }

void TQKitConversionListRelease(TQKitConversionList* list)
{
    if (list == nullptr || --list->references > 0)
        return;
    delete list;
    --script().liveLists;
}

void TQKitConversionListSetDestination(TQKitConversionList* list, const void* accessData, size_t length)
{
    list->destination.assign(static_cast<const char*>(accessData), length);
}

void TQKitConversionListSetTaskInfo(TQKitConversionList* list, const TQTaskInfoRecord* record)
{
    list->record = *record;
}

void TQKitConversionListGetTaskInfo(const TQKitConversionList* list, TQTaskInfoRecord* record)
{
    if (list->record)
        *record = *list->record;
    else
        TQKitTaskInfoInit(record);
}

int32_t TQKitConversionListState(const TQKitConversionList* list)
{
    return list->stopped ? kTQKitListStateFinished : list->state;
}

void TQKitConversionListStop(TQKitConversionList* list) { list->stopped = true; }
bool TQKitConversionListIsStopped(const TQKitConversionList* list) { return list->stopped; }
