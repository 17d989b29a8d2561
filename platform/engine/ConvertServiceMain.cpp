// sonvale-convert-service: the conversion-service host. Started once by the application with a
// socket as its standard input; forks the service processes (see ServiceForkServer). A service
// reads item jobs from standard input, one JSON text a line, and converts them one after another:
// for each it reports "progress <item status> <fraction>" lines (a few a second) and finally "outcome <json>" on
// standard output. It ends when its input closes. The application kills a service to stop its
// item; a crash in one fails only the item it was converting.

#include <chrono>
#include <cstdio>
#include <iostream>
#include <malloc.h>
#include <signal.h>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

#include "platform/engine/ItemConverter.h"
#include "platform/engine/ServiceForkServer.h"

using sonvale::engine::ItemConverter;
using sonvale::engine::ItemJob;
using sonvale::engine::ItemOutcome;

namespace {

// The window redraws a few times a second; each report wakes a thread of the application, so more
// would cost the conversion and show nothing.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

ItemOutcome convert(const std::string& text)
{
    ItemJob job;
    ItemOutcome outcome;
    if (sonvale::Status parsed = ItemJob::fromJson(text, job); !parsed) {
        outcome.status = parsed;
        return outcome;
    }
    int lastStatus = -1;
    auto lastReport = std::chrono::steady_clock::time_point();
    return ItemConverter::run(job, nullptr, [&](int status, double fraction) {
        const auto now = std::chrono::steady_clock::now();
        if (status == lastStatus && now - lastReport < kProgressInterval)
            return;
        lastStatus = status;
        lastReport = now;
        std::printf("progress %d %.3f\n", status, fraction);
        std::fflush(stdout);
    });
}

int serveItems()
{
    for (std::string line; std::getline(std::cin, line);) {
        if (line.empty())
            continue;
        std::printf("outcome %s\n", convert(line).toJson().c_str());
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main()
{
    // Never outlive the application that started us.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A service converts item after item: what one item freed is kept for the next, instead of
    // going back to the system and being faulted in and cleared again. The services forked from
    // here inherit the setting.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    return sonvale::engine::ServiceForkServer(STDIN_FILENO, serveItems).serve();
}
