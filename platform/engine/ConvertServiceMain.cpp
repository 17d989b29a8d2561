// sonvale-convert-service: the conversion-service host. Started once by the application with a
// socket as its standard input; forks the service processes (see ServiceForkServer). A service
// reads item jobs from standard input, one JSON text a line, and converts them one after another:
// for each it reports "progress <item status> <fraction>" lines and finally "outcome <json>" on
// standard output. It ends when its input closes. The application kills a service to stop its
// item; a crash in one fails only the item it was converting.

#include <cstdio>
#include <iostream>
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

ItemOutcome convert(const std::string& text)
{
    ItemJob job;
    ItemOutcome outcome;
    if (sonvale::Status parsed = ItemJob::fromJson(text, job); !parsed) {
        outcome.status = parsed;
        return outcome;
    }
    int lastStatus = -1, lastPercent = -1;
    return ItemConverter::run(job, nullptr, [&](int status, double fraction) {
        const int percent = int(fraction * 100);
        if (percent != lastPercent || status != lastStatus) {
            lastStatus = status;
            lastPercent = percent;
            std::printf("progress %d %.3f\n", status, fraction);
            std::fflush(stdout);
        }
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
    return sonvale::engine::ServiceForkServer(STDIN_FILENO, serveItems).serve();
}
