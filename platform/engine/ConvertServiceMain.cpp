// sonvale-convert-service: converts one item per process. Reads the item's job (JSON) from
// standard input, reports "progress <item status> <fraction>" lines and finally "outcome <json>" on standard
// output. The converter kills the process to stop it; a crash here fails only this item.

#include <cstdio>
#include <iostream>
#include <iterator>
#include <signal.h>
#include <string>
#include <sys/prctl.h>

#include "platform/engine/ItemConverter.h"

using sonvale::engine::ItemConverter;
using sonvale::engine::ItemJob;
using sonvale::engine::ItemOutcome;

int main(int argc, char** argv)
{
    // Never outlive the application that started us.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (argc > 1 && std::string(argv[1]).rfind("--instance=", 0) == 0) {
        const std::string name = "sonvale-conv-" + std::string(argv[1]).substr(11);
        prctl(PR_SET_NAME, name.c_str());
    }

    const std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    ItemJob job;
    ItemOutcome outcome;
    if (sonvale::Status parsed = ItemJob::fromJson(text, job); !parsed) {
        outcome.status = parsed;
    } else {
        int lastStatus = -1, lastPercent = -1;
        outcome = ItemConverter::run(job, nullptr, [&](int status, double fraction) {
            const int percent = int(fraction * 100);
            if (percent != lastPercent || status != lastStatus) {
                lastStatus = status;
                lastPercent = percent;
                std::printf("progress %d %.3f\n", status, fraction);
                std::fflush(stdout);
            }
        });
    }
    std::printf("outcome %s\n", outcome.toJson().c_str());
    std::fflush(stdout);
    return outcome.status ? 0 : 1;
}
