#include "platform/engine/ItemConverter.h"
#include "platform/engine/ItemRunner.h"

namespace sonvale::engine {

ItemOutcome InProcessItemRunner::run(const ItemJob& job, const std::atomic<bool>& stop, const Progress& progress)
{
    ActiveConversion active(*this);
    return ItemConverter::run(job, &stop, progress);
}

} // namespace sonvale::engine
