// Logs the store has taken survive a kill of the process at any moment and reach the service
// after the next start.

#include "platform/system/FakeClock.h"
#include "platform/system/HttpTransportCurl.h"
#include "platform/system/ManualNetworkReachability.h"
#include "telemetry/TQTMChannelGroupDefault.h"
#include "telemetry/TQTMDependencyConfiguration.h"
#include "telemetry/TQTMHttpClient.h"
#include "telemetry/TQTMLogsDispatchQueue.h"
#include "telemetry/TQTMStorage.h"
#include "telemetry/TQTMTelemetry.h"

#include "tests/telemetry/LoopbackServer.h"
#include "tests/telemetry/RecordingChannelDelegate.h"
#include "tests/telemetry/TelemetryTestSupport.h"

#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <thread>

using namespace sonvale;
using namespace std::chrono_literals;

namespace {

struct ChildRun {
    std::vector<std::string> reported;
    int signal = 0;
};

// Starts the child, lets it report `stopAfter` stored logs, waits a random moment more and kills
// it; answers everything it reported before it died.
ChildRun runAndKillChild(size_t stopAfter, std::chrono::microseconds extraDelay)
{
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execl(SONVALE_DURABILITY_CHILD, SONVALE_DURABILITY_CHILD, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    ChildRun run;
    std::string pending;
    bool killed = false;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        pending.append(buffer, static_cast<size_t>(got));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            run.reported.push_back(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
        if (!killed && run.reported.size() >= stopAfter) {
            std::this_thread::sleep_for(extraDelay);
            ::kill(pid, SIGKILL);
            killed = true;
        }
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return run;
}

class TQTMDurabilityTest : public test::TelemetryTest {
protected:
    ~TQTMDurabilityTest() override
    {
        TQTMTelemetry::resetSharedInstance();
        TQTMDependencyConfiguration::setHttpClient(nullptr);
        TQTMDependencyConfiguration::setClock(nullptr);
        TQTMLogger::setCurrentLogLevel(level_);
        TQTMLogger::setIsUserDefinedLogLevel(false);
    }

    const TQTMLogLevel level_ = TQTMLogger::currentLogLevel();
    test::LoopbackServer server;
    FakeClock clock;
};

TEST_F(TQTMDurabilityTest, EveryLogStoredBeforeAKillReachesTheServiceAfterTheRestart)
{
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::set<std::string> reported;
    for (int round = 0; round < 8; ++round) {
        const size_t stopAfter = std::uniform_int_distribution<size_t>(1, 300)(random);
        const auto delay = std::chrono::microseconds(
            std::uniform_int_distribution<int>(0, 3000)(random));
        const ChildRun run = runAndKillChild(stopAfter, delay);
        ASSERT_EQ(run.signal, SIGKILL) << "seed " << seed;
        reported.insert(run.reported.begin(), run.reported.end());
    }

    TQTMDependencyConfiguration::setClock(&clock);
    TQTMDependencyConfiguration::setHttpClient(TQTMHttpClient::create(
        std::make_unique<HttpTransportCurl>(),
        std::make_shared<TQTM_Reachability>(std::make_shared<ManualNetworkReachability>()), clock));
    TQTMTelemetry::setLogUrl(server.baseUrl());
    TQTMTelemetry::start("0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d", TQTMServiceList{});
    auto group = TQTMTelemetry::sharedInstance().channelGroup();
    auto recorder = std::make_shared<test::RecordingChannelDelegate>();
    group->addDelegate(recorder);
    uint64_t stored = 0;
    group->logsDispatchQueue()->sync([&] { stored = group->storage()->countLogs(); });
    clock.advance(6s); // for a last batch smaller than a full one
    ASSERT_TRUE(recorder->waitForOutcomes(stored));

    std::set<std::string> delivered;
    for (const auto& request : server.requests()) {
        const auto body = nlohmann::json::parse(request.body);
        for (const auto& log : body.at("logs"))
            delivered.insert(log.at("services").at(0).get<std::string>());
    }
    size_t lost = 0;
    for (const auto& marker : reported)
        lost += delivered.count(marker) == 0;
    EXPECT_EQ(lost, 0u) << "seed " << seed;
    EXPECT_GE(delivered.size(), reported.size());
    RecordProperty("reported", static_cast<int>(reported.size()));
    RecordProperty("delivered", static_cast<int>(delivered.size()));
    std::cout << "Durability: " << reported.size() << " logs reported stored by 8 killed "
              << "processes, " << delivered.size() << " delivered after the restart, " << lost
              << " lost (seed " << seed << ")\n";
}

} // namespace
