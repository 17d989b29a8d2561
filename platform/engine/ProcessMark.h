#pragma once

#include <string>
#include <string_view>

namespace sonvale::engine {

// Names the process that made a file or folder, so that what a killed process left behind can be
// told from what a running one is still writing: "<host>.<pid>". The host counts because a
// destination or a home folder may be shared over the network with other machines, whose process
// numbers say nothing here.
class ProcessMark final {
public:
    // The mark of this process.
    static std::string own();

    // True when `mark` names a process of this machine that no longer runs. A mark of another
    // machine, of a live process or one that is not a mark at all is never taken as dead.
    static bool isOfDeadProcess(std::string_view mark);
};

} // namespace sonvale::engine
