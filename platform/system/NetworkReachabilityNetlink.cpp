#include "platform/system/NetworkReachabilityNetlink.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace sonvale {
namespace {

class FileDescriptor final {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// What one dump of the routing table says: a default route, none, or no answer.
enum class RouteAnswer { DefaultRoute, NoDefaultRoute, Unknown };

bool isDefaultRoute(const nlmsghdr* header)
{
    const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(header));
    if (route->rtm_dst_len != 0 || route->rtm_type != RTN_UNICAST)
        return false;
    uint32_t table = route->rtm_table;
    int length = static_cast<int>(RTM_PAYLOAD(header));
    for (const rtattr* attribute = RTM_RTA(route); RTA_OK(attribute, length);
         attribute = RTA_NEXT(attribute, length))
        if (attribute->rta_type == RTA_TABLE &&
            RTA_PAYLOAD(attribute) >= static_cast<int>(sizeof(uint32_t)))
            std::memcpy(&table, RTA_DATA(attribute), sizeof table);
    return table == RT_TABLE_MAIN;
}

RouteAnswer askForDefaultRoute()
{
    FileDescriptor fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (fd.get() < 0)
        return RouteAnswer::Unknown;
    struct {
        nlmsghdr header;
        rtmsg route;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.route.rtm_family = AF_UNSPEC;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(fd.get(), &request, request.header.nlmsg_len, 0,
                 reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0)
        return RouteAnswer::Unknown;

    std::vector<char> buffer(32768);
    bool found = false;
    for (;;) {
        pollfd wait{fd.get(), POLLIN, 0};
        if (::poll(&wait, 1, 2000) <= 0) // a kernel that does not answer: unknown
            return RouteAnswer::Unknown;
        const ssize_t received = ::recv(fd.get(), buffer.data(), buffer.size(), 0);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            return RouteAnswer::Unknown;
        }
        int length = static_cast<int>(received);
        for (auto* header = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(header, length);
             header = NLMSG_NEXT(header, length)) {
            if (header->nlmsg_type == NLMSG_DONE)
                return found ? RouteAnswer::DefaultRoute : RouteAnswer::NoDefaultRoute;
            if (header->nlmsg_type == NLMSG_ERROR)
                return RouteAnswer::Unknown;
            if (header->nlmsg_type == RTM_NEWROUTE && isDefaultRoute(header))
                found = true;
        }
    }
}

} // namespace

std::shared_ptr<NetworkReachability> NetworkReachability::internet()
{
    static std::mutex mutex;
    static std::weak_ptr<NetworkReachability> shared;
    std::lock_guard lock(mutex);
    std::shared_ptr<NetworkReachability> monitor = shared.lock();
    if (!monitor) {
        monitor = std::make_shared<NetworkReachabilityNetlink>();
        shared = monitor;
    }
    return monitor;
}

NetworkReachabilityNetlink::NetworkReachabilityNetlink()
    : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{}

NetworkReachabilityNetlink::~NetworkReachabilityNetlink()
{
    if (watcher_.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
        watcher_.join();
    }
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

NetworkReachability::Status NetworkReachabilityNetlink::currentStatus() const
{
    return askForDefaultRoute() == RouteAnswer::NoDefaultRoute ? Status::NotReachable
                                                               : Status::Reachable;
}

NetworkReachability::ListenerId NetworkReachabilityNetlink::addListener(Listener listener)
{
    std::lock_guard lock(mutex_);
    const ListenerId id = nextId_++;
    listeners_[id] = std::move(listener);
    if (!watcher_.joinable() && wakeFd_ >= 0)
        watcher_ = std::thread([this] { watch(); });
    return id;
}

void NetworkReachabilityNetlink::removeListener(ListenerId id)
{
    std::lock_guard calls(callMutex_);
    std::lock_guard lock(mutex_);
    listeners_.erase(id);
}

void NetworkReachabilityNetlink::watch()
{
    FileDescriptor fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE));
    sockaddr_nl groups{};
    groups.nl_family = AF_NETLINK;
    groups.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE |
                       RTMGRP_IPV6_ROUTE;
    const bool subscribed =
        fd.get() >= 0 &&
        ::bind(fd.get(), reinterpret_cast<sockaddr*>(&groups), sizeof groups) == 0;
    std::vector<char> buffer(16384);
    for (;;) {
        pollfd waits[2] = {{wakeFd_, POLLIN, 0}, {subscribed ? fd.get() : -1, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (waits[0].revents)
            return;
        bool changed = false;
        while (::recv(fd.get(), buffer.data(), buffer.size(), 0) > 0)
            changed = true; // one call for a burst of messages
        if (changed)
            notifyListeners();
    }
}

void NetworkReachabilityNetlink::notifyListeners()
{
    std::lock_guard calls(callMutex_);
    std::map<ListenerId, Listener> listeners;
    {
        std::lock_guard lock(mutex_);
        listeners = listeners_;
    }
    for (const auto& [id, listener] : listeners)
        listener();
}

} // namespace sonvale
