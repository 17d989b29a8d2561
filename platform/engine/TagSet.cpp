#include "platform/engine/TagSet.h"

namespace sonvale::engine {

std::string TagSet::value(const std::string& name) const
{
    for (const auto& [n, v] : fields)
        if (n == name)
            return v;
    return {};
}

} // namespace sonvale::engine
