#include "platform/darwin/MachMessage.h"
#include "platform/darwin/MachPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace sonvale::darwin {
namespace {

struct Message {
    mach_msg_header_t header;
    std::uint32_t value;
};

mach_port_t newPort(mach_port_right_t right = MACH_PORT_RIGHT_RECEIVE) {
    mach_port_t port = MACH_PORT_NULL;
    EXPECT_EQ(mach_port_allocate(mach_task_self(), right, &port), KERN_SUCCESS);
    return port;
}

mach_msg_return_t send(mach_port_t to, std::uint32_t value, mach_port_t reply = MACH_PORT_NULL, mach_msg_id_t id = 7) {
    Message message{};
    message.header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, reply != MACH_PORT_NULL ? MACH_MSG_TYPE_MAKE_SEND_ONCE : 0);
    message.header.msgh_remote_port = to;
    message.header.msgh_local_port = reply;
    message.header.msgh_id = id;
    message.value = value;
    return mach_msg(&message.header, MACH_SEND_MSG, sizeof message, 0, MACH_PORT_NULL, MACH_MSG_TIMEOUT_NONE,
                    MACH_PORT_NULL);
}

mach_msg_return_t receive(mach_port_t from, Message* message, mach_msg_option_t options = 0,
                          mach_msg_size_t room = sizeof(Message)) {
    return mach_msg(&message->header, MACH_RCV_MSG | MACH_RCV_TIMEOUT | options, 0, room, from, 1000, MACH_PORT_NULL);
}

class MachMessageTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (mach_port_t port : ports_) {
            mach_port_mod_refs(mach_task_self(), port, MACH_PORT_RIGHT_RECEIVE, -1);
        }
    }
    mach_port_t port() { return ports_.emplace_back(newPort()); }

    std::vector<mach_port_t> ports_;
};

// A set receives its members' messages in the order they were sent; the receiver sees the reply
// port as the remote port, as a send-once right, and its own port as the local one.
TEST_F(MachMessageTest, ASetReceivesItsPortsMessagesInOrderWithTheReplyPort) {
    const mach_port_t first = port(), second = port(), reply = port();
    const mach_port_t set = newPort(MACH_PORT_RIGHT_PORT_SET);
    ASSERT_EQ(mach_port_move_member(mach_task_self(), first, set), KERN_SUCCESS);
    ASSERT_EQ(send(second, 0), MACH_MSG_SUCCESS);
    ASSERT_EQ(mach_port_move_member(mach_task_self(), second, set), KERN_SUCCESS) << "queued messages follow";
    ASSERT_EQ(send(first, 1, reply), MACH_MSG_SUCCESS);
    ASSERT_EQ(send(second, 2), MACH_MSG_SUCCESS);
    for (std::uint32_t expected = 0; expected < 3; ++expected) {
        Message message{};
        ASSERT_EQ(receive(set, &message), MACH_MSG_SUCCESS);
        EXPECT_EQ(message.value, expected);
        EXPECT_EQ(message.header.msgh_size, sizeof message);
        if (expected == 1) {
            EXPECT_EQ(message.header.msgh_remote_port, reply);
            EXPECT_EQ(message.header.msgh_local_port, first);
            EXPECT_EQ(MACH_MSGH_BITS_REMOTE(message.header.msgh_bits), MACH_MSG_TYPE_PORT_SEND_ONCE);
        }
    }
    Message none{};
    EXPECT_EQ(mach_msg(&none.header, MACH_RCV_MSG | MACH_RCV_TIMEOUT, 0, sizeof none, set, 1, MACH_PORT_NULL),
              MACH_RCV_TIMED_OUT);
    EXPECT_EQ(mach_port_mod_refs(mach_task_self(), set, MACH_PORT_RIGHT_PORT_SET, -1), KERN_SUCCESS);
}

TEST_F(MachMessageTest, AMessageTooLargeStaysQueuedOnlyWhenTheReceiverAsksForItsSize) {
    const mach_port_t target = port();
    ASSERT_EQ(send(target, 42), MACH_MSG_SUCCESS);
    Message message{};
    ASSERT_EQ(receive(target, &message, MACH_RCV_LARGE, sizeof(mach_msg_header_t)), MACH_RCV_TOO_LARGE);
    EXPECT_EQ(message.header.msgh_size, sizeof message);
    ASSERT_EQ(receive(target, &message), MACH_MSG_SUCCESS);
    EXPECT_EQ(message.value, 42u);

    ASSERT_EQ(send(target, 43), MACH_MSG_SUCCESS);
    EXPECT_EQ(receive(target, &message, 0, sizeof(mach_msg_header_t)), MACH_RCV_TOO_LARGE);
    EXPECT_EQ(mach_msg(&message.header, MACH_RCV_MSG | MACH_RCV_TIMEOUT, 0, sizeof message, target, 1, MACH_PORT_NULL),
              MACH_RCV_TIMED_OUT)
        << "destroyed";
}

// A full port makes a sender wait for room, as many threads faulting at once wait for the one
// exception server, instead of failing: nothing is lost and the order stays.
TEST_F(MachMessageTest, ASendToAFullPortWaitsUntilAMessageIsReceived) {
    const mach_port_t target = port();
    for (std::uint32_t i = 0; i < kPortQueueLimit; ++i) {
        ASSERT_EQ(send(target, i), MACH_MSG_SUCCESS);
    }
    std::atomic<mach_msg_return_t> late{-1};
    std::thread sender([&] { late = send(target, kPortQueueLimit); });
    for (std::uint32_t expected = 0; expected <= kPortQueueLimit; ++expected) {
        Message message{};
        ASSERT_EQ(receive(target, &message), MACH_MSG_SUCCESS);
        EXPECT_EQ(message.value, expected);
    }
    sender.join();
    EXPECT_EQ(late.load(), MACH_MSG_SUCCESS);
}

// A destroyed port refuses messages, and its name stays refused when its entry serves a new port.
TEST_F(MachMessageTest, ADestroyedPortsNameIsRefused) {
    const mach_port_t gone = newPort();
    ASSERT_EQ(send(gone, 1), MACH_MSG_SUCCESS);
    ASSERT_EQ(mach_port_mod_refs(mach_task_self(), gone, MACH_PORT_RIGHT_RECEIVE, -1), KERN_SUCCESS);
    EXPECT_EQ(send(gone, 2), MACH_SEND_INVALID_DEST);
    Message message{};
    EXPECT_EQ(receive(gone, &message), MACH_RCV_INVALID_NAME);
    const mach_port_t fresh = port();
    EXPECT_NE(fresh, gone);
    EXPECT_EQ(send(gone, 3), MACH_SEND_INVALID_DEST);
    EXPECT_EQ(mach_port_insert_right(mach_task_self(), gone, gone, MACH_MSG_TYPE_MAKE_SEND), KERN_INVALID_NAME);
}

TEST_F(MachMessageTest, ThePortsLastSendRightGoingSendsTheNoSendersNotification) {
    const mach_port_t target = port(), notify = port();
    mach_port_t previous = MACH_PORT_DEAD;
    ASSERT_EQ(mach_port_request_notification(mach_task_self(), target, MACH_NOTIFY_NO_SENDERS, 1, notify,
                                             MACH_MSG_TYPE_MAKE_SEND_ONCE, &previous),
              KERN_SUCCESS);
    EXPECT_EQ(previous, MACH_PORT_NULL);
    ASSERT_EQ(mach_port_insert_right(mach_task_self(), target, target, MACH_MSG_TYPE_MAKE_SEND), KERN_SUCCESS);
    ASSERT_EQ(mach_port_mod_refs(mach_task_self(), target, MACH_PORT_RIGHT_SEND, 1), KERN_SUCCESS);
    mach_port_urefs_t refs = 0;
    ASSERT_EQ(mach_port_get_refs(mach_task_self(), target, MACH_PORT_RIGHT_SEND, &refs), KERN_SUCCESS);
    EXPECT_EQ(refs, 2u);
    ASSERT_EQ(mach_port_deallocate(mach_task_self(), target), KERN_SUCCESS);

    Message message{};
    EXPECT_EQ(mach_msg(&message.header, MACH_RCV_MSG | MACH_RCV_TIMEOUT, 0, 64, notify, 1, MACH_PORT_NULL),
              MACH_RCV_TIMED_OUT)
        << "one send right is left";
    ASSERT_EQ(mach_port_deallocate(mach_task_self(), target), KERN_SUCCESS);
    struct {
        mach_msg_header_t header;
        NDR_record_t ndr;
        mach_port_mscount_t mscount;
    } notification{};
    ASSERT_EQ(mach_msg(&notification.header, MACH_RCV_MSG | MACH_RCV_TIMEOUT, 0, sizeof notification, notify, 1000,
                       MACH_PORT_NULL),
              MACH_MSG_SUCCESS);
    EXPECT_EQ(notification.header.msgh_id, MACH_NOTIFY_NO_SENDERS);
    EXPECT_EQ(mach_port_deallocate(mach_task_self(), target), KERN_INVALID_RIGHT) << "no send right left";
}

} // namespace
} // namespace sonvale::darwin
