#include "platform/engine/ServiceItemRunner.h"

#include "platform/system/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <optional>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sonvale::engine {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Both ends close on exec, so another item's service never inherits this one's pipes.
struct Pipe {
    int read = -1;
    int write = -1;

    bool open()
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    void close()
    {
        if (read >= 0)
            ::close(read);
        if (write >= 0)
            ::close(write);
        read = write = -1;
    }
};

// Writes the whole text; a service that died early makes this fail (EPIPE) instead of raising
// SIGPIPE in the application.
bool writeWithoutSigpipe(int fd, const std::string& text)
{
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const bool ok = sonvale::writeAllBytes(fd, text);
    if (!ok) {
        const timespec zero{};
        sigtimedwait(&pipeSignal, nullptr, &zero); // drop the pending SIGPIPE
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ok;
}

ItemOutcome failed(const ItemJob& job, std::string why)
{
    std::error_code ignored;
    fs::remove(job.outputPath, ignored);
    ItemOutcome outcome;
    outcome.status = Status::failure(std::move(why));
    return outcome;
}

std::string endingOf(std::optional<int> waitStatus)
{
    if (!waitStatus)
        return "the conversion service ended without a result";
    if (WIFSIGNALED(*waitStatus))
        return "the conversion service crashed (signal " + std::to_string(WTERMSIG(*waitStatus)) + ")";
    return "the conversion service ended without a result (exit " + std::to_string(WEXITSTATUS(*waitStatus)) + ")";
}

} // namespace

// One forked service: where its jobs go, where its reports come from.
struct ServiceItemRunner::Service {
    uint64_t id = 0;
    int instance = 0;
    int jobs = -1;
    int reports = -1;
    int served = 0;
    std::string pending; // reports read but not yet taken as lines

    ~Service()
    {
        if (jobs >= 0)
            ::close(jobs);
        if (reports >= 0)
            ::close(reports);
    }
};

ServiceItemRunner::ServiceItemRunner(std::string servicePath, std::chrono::seconds silenceLimit)
    : silenceLimit_(silenceLimit), host_(std::move(servicePath))
{
    // Loading the conversion libraries takes the host a while: it does so while the application
    // is still gathering the first batch's items. A host that can't start is tried again per item.
    host_.start();
}

// Idle services see their input close and end; the host then ends with any that still run.
ServiceItemRunner::~ServiceItemRunner() = default;

std::string ServiceItemRunner::defaultServicePath()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return (self.parent_path() / "sonvale-convert-service").string();
}

int ServiceItemRunner::claimInstance()
{
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < instancesInUse_.size(); ++i)
        if (!instancesInUse_[i]) {
            instancesInUse_[i] = true;
            return int(i) + 1;
        }
    instancesInUse_.push_back(true);
    return int(instancesInUse_.size());
}

void ServiceItemRunner::releaseInstance(int instance)
{
    std::lock_guard lock(mutex_);
    instancesInUse_[size_t(instance - 1)] = false;
}

// An idle service, or a new one; null when none can be started.
std::unique_ptr<ServiceItemRunner::Service> ServiceItemRunner::takeService()
{
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            auto service = std::move(idle_.back());
            idle_.pop_back();
            return service;
        }
    }
    Pipe input, output;
    if (!input.open() || !output.open()) {
        input.close();
        return nullptr;
    }
    auto service = std::make_unique<Service>();
    service->id = nextServiceId_++;
    service->instance = claimInstance();
    const bool started = host_.startService(service->id, service->instance, input.read, output.write);
    ::close(input.read);
    ::close(output.write);
    service->jobs = input.write;
    service->reports = output.read;
    if (!started) {
        releaseInstance(service->instance);
        return nullptr;
    }
    return service;
}

void ServiceItemRunner::keepService(std::unique_ptr<Service> service)
{
    if (++service->served < kItemsPerService) {
        std::lock_guard lock(mutex_);
        idle_.push_back(std::move(service));
        return;
    }
    releaseInstance(service->instance); // its input closes, and it ends
}

void ServiceItemRunner::releaseIdleServices()
{
    std::vector<std::unique_ptr<Service>> idle;
    {
        std::lock_guard lock(mutex_);
        idle.swap(idle_);
    }
    for (const auto& service : idle)
        releaseInstance(service->instance);
}

ItemOutcome ServiceItemRunner::run(const ItemJob& job, const std::atomic<bool>& stop, const Progress& progress)
{
    std::unique_ptr<Service> service = takeService();
    // A service that ended while idle (killed from outside) has no reader for its jobs: the next.
    while (service && !writeWithoutSigpipe(service->jobs, job.toJson() + '\n')) {
        releaseInstance(service->instance);
        service = takeService();
    }
    if (!service)
        return failed(job, "cannot start the conversion service");

    ActiveConversion conversion(*this);
    std::string outcomeText;
    std::optional<int> waitStatus;
    bool killed = false, silent = false, ended = false;
    auto lastHeard = Clock::now();
    while (outcomeText.empty() && !ended) {
        if (!killed && (stop.load() || Clock::now() - lastHeard > silenceLimit_)) {
            silent = !stop.load();
            host_.killService(service->id);
            killed = true;
        }
        pollfd fd{service->reports, POLLIN, 0};
        if (::poll(&fd, 1, 50) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(service->reports, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ended = true; // the service has ended and the host has let go of it
            break;
        }
        lastHeard = Clock::now();
        std::string& pending = service->pending;
        pending.append(buffer, size_t(n));
        for (size_t eol; outcomeText.empty() && (eol = pending.find('\n')) != std::string::npos;
             pending.erase(0, eol + 1)) {
            const std::string line = pending.substr(0, eol);
            if (line.rfind("progress ", 0) == 0 && progress) {
                char* rest = nullptr;
                const long status = std::strtol(line.c_str() + 9, &rest, 10);
                progress(int(status), std::strtod(rest, nullptr));
            }
            else if (line.rfind("outcome ", 0) == 0)
                outcomeText = line.substr(8);
            else if (line.rfind("ended ", 0) == 0)
                waitStatus = std::atoi(line.c_str() + 6);
        }
    }
    if (killed || ended) {
        releaseInstance(service->instance);
        service.reset();
    }
    else
        keepService(std::move(service));

    if (killed)
        return failed(job, silent ? "the conversion service stopped responding" : "stopped");
    ItemOutcome outcome;
    if (outcomeText.empty() || !ItemOutcome::fromJson(outcomeText, outcome))
        return failed(job, endingOf(waitStatus));
    return outcome;
}

} // namespace sonvale::engine
