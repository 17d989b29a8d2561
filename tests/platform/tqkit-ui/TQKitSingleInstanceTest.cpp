#include "platform/tqkit-ui/TQKitAppMain.h"
#include "platform/tqkit-ui/TQKitSingleInstance.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QLockFile>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using sonvale::test::pumpUntil;

namespace {

class TQKitSingleInstanceTest : public ::testing::Test {
protected:
    QString socketPath() const { return QString::fromStdString((folder_.path() / "s.socket").string()); }

    sonvale::test::TempDir folder_;
};

TEST_F(TQKitSingleInstanceTest, LaterInstanceHandsItsArgumentsToTheRunningOne)
{
    TQKitSingleInstance running(socketPath());
    ASSERT_TRUE(running.becomeRunningInstance());
    QList<QStringList> received;
    QObject::connect(&running, &TQKitSingleInstance::argumentsReceived, &running,
                     [&](const QStringList& arguments) { received.append(arguments); });

    // The later launch is another process in life; here a thread with an instance of its own.
    std::atomic<bool> done{false};
    bool becameRunning = true;
    int forwarded = 0;
    std::thread later([&] {
        TQKitSingleInstance second(socketPath());
        becameRunning = second.becomeRunningInstance();
        if (!becameRunning) {
            forwarded += second.forward({u"/music/a.flac"_s, u"https://example.org/x.mp3"_s});
            forwarded += second.forward({});
        }
        done = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return done.load(); }));
    later.join();
    EXPECT_FALSE(becameRunning);
    EXPECT_EQ(forwarded, 2);
    EXPECT_EQ(received, (QList<QStringList>{{u"/music/a.flac"_s, u"https://example.org/x.mp3"_s}, {}}));
}

TEST_F(TQKitSingleInstanceTest, LockOfADeadInstanceIsTakenOver)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto* lock = new QLockFile(socketPath() + u".lock"_s); // never released: the process dies
        ::_exit(lock->tryLock(0) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);

    TQKitSingleInstance instance(socketPath());
    EXPECT_TRUE(instance.becomeRunningInstance());
}

TEST(TQKitOpenRequestTest, ArgumentsBecomeOpenRequests)
{
    const QDir workingDir(u"/home/user/Music"_s);
    const struct {
        QString argument;
        QString expected;
    } cases[] = {
        {u"song.mp3"_s, u"/home/user/Music/song.mp3"_s},
        {u"../Downloads/./a b.wav"_s, u"/home/user/Downloads/a b.wav"_s},
        {u"/abs/track.flac"_s, u"/abs/track.flac"_s},
        {u"file:///abs/with%20space.m4a"_s, u"/abs/with space.m4a"_s},
        {u"https://example.org/podcast.mp3"_s, u"https://example.org/podcast.mp3"_s},
        {u"live: take 2.mp3"_s, u"/home/user/Music/live: take 2.mp3"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TQKitOpenRequestFromArguments({c.argument}, workingDir), QStringList{c.expected})
            << c.argument.toStdString();
    EXPECT_TRUE(TQKitOpenRequestFromArguments({QString()}, workingDir).isEmpty());
    EXPECT_EQ(TQKitOpenRequestFromArguments({u"--"_s, u"-reverse"_s, u"--"_s, u"-platform"_s}, workingDir),
              (QStringList{u"/home/user/Music/-reverse"_s, u"/home/user/Music/--"_s, u"/home/user/Music/-platform"_s}));
}

} // namespace
