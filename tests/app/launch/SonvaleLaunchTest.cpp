// Whole-application runs: the built `sonvale` started as real processes, offscreen, in a temporary
// home and runtime folder.

#include "platform/tqkit/TQKitSettingsStore.h"
#include "tests/app/support/ProgressWindowTestSupport.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"
#include "tests/telemetry/LoopbackServer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using sonvale::test::pumpUntil;

namespace {

class SonvaleLaunchTest : public ::testing::Test {
protected:
    SonvaleLaunchTest()
    {
        const QString root = QString::fromStdString(folder_.path().string());
        QDir(root).mkpath(u"home"_s);
        QDir(root).mkpath(u"run"_s);
        QDir(root).mkpath(u"first"_s);
        QDir(root).mkpath(u"second"_s);
        QDir(root).mkpath(u"home/.config/Sonvale"_s);
        ::chmod((folder_.path() / "run").c_str(), 0700);
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(u"HOME"_s, root + u"/home"_s);
        for (const QString& name : {u"XDG_CONFIG_HOME"_s, u"XDG_DATA_HOME"_s, u"XDG_CACHE_HOME"_s})
            environment_.remove(name);
        environment_.insert(u"XDG_RUNTIME_DIR"_s, root + u"/run"_s);
        environment_.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        // The sources each instance receives, which it keeps to itself unless asked.
        environment_.insert(u"QT_LOGGING_RULES"_s, u"sonvale.sources.info=true"_s);
        // Nobody is there to answer the offer to look up the generated files' missing artwork.
        TQKitSettingsStore(folder_.path() / "home/.config/Sonvale/settings.json")
            .setValue(TQKitSettingsStore::Kind::Text, "TQCSettingConfirmation",
                      "TQCProgressWindowShowLoadAlbumArtworksPrompt", std::to_string(std::time(nullptr)));
    }

    ~SonvaleLaunchTest() override
    {
        for (QProcess* process : {&first_, &second_}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
        }
    }

    void start(QProcess& process, const QString& workingFolder, const QStringList& arguments)
    {
        process.setProcessEnvironment(environment_);
        process.setWorkingDirectory(QString::fromStdString(folder_.path().string()) + u"/"_s + workingFolder);
        process.start(QString::fromStdString((sonvale::test::buildDir() / "bin/sonvale").string()), arguments);
        ASSERT_TRUE(process.waitForStarted()) << process.errorString().toStdString();
    }

    // Collects what `process` writes to stderr until `line` appears in it.
    bool waitForLine(QProcess& process, QString& collected, const QString& line)
    {
        return pumpUntil([&] {
            collected += QString::fromUtf8(process.readAllStandardError());
            return collected.contains(line) || process.state() == QProcess::NotRunning;
        }) && collected.contains(line);
    }

    // Sends the application's telemetry to `collector`, and has it say on stderr what boxes it shows.
    void reportTo(const sonvale::test::LoopbackServer& collector)
    {
        environment_.insert(u"SONVALE_TELEMETRY_URL"_s, QString::fromStdString(collector.baseUrl()));
        environment_.insert(u"SONVALE_TELEMETRY_SECRET"_s, u"0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d"_s);
        environment_.insert(u"QT_LOGGING_RULES"_s, u"sonvale.alerts.info=true"_s);
    }

    static size_t countOf(const std::vector<nlohmann::json>& logs, const std::string& type)
    {
        return std::ranges::count_if(logs, [&](const auto& log) { return log.at("type") == type; });
    }

    // How many launches have announced themselves. A log whose delivery a killed launch could not
    // see through is sent again by the next one, so the same start may arrive twice.
    static size_t launchesSeen(const std::vector<nlohmann::json>& logs)
    {
        std::set<std::string> starts;
        for (const auto& log : logs)
            if (log.at("type") == "startService")
                starts.insert(log.at("timestamp").get<std::string>());
        return starts.size();
    }

    // Waits until the collector's logs satisfy `done` (false after a generous safety limit).
    static bool waitForLogs(const sonvale::test::LoopbackServer& collector,
                            const std::function<bool(const std::vector<nlohmann::json>&)>& done)
    {
        for (size_t seen = collector.requestCount(); !done(sonvale::test::logsSentTo(collector));)
            if (!collector.waitForRequests(++seen))
                return false;
        return true;
    }

    sonvale::test::TempDir folder_;
    QProcessEnvironment environment_;
    QProcess first_;
    QProcess second_;
};

TEST_F(SonvaleLaunchTest, TwoLaunchesEndInOneProcessReceivingBothSets)
{
    const QString root = QString::fromStdString(folder_.path().string());
    QString firstLog;
    start(first_, u"first"_s, {u"one.flac"_s, u"https://example.org/two.mp3"_s});
    ASSERT_TRUE(waitForLine(first_, firstLog,
                            u"sources received: "_s + root + u"/first/one.flac | https://example.org/two.mp3"_s))
        << firstLog.toStdString();

    start(second_, u"second"_s, {u"three.wav"_s, u"file://"_s + root + u"/second/four%20five.aiff"_s});
    ASSERT_TRUE(second_.waitForFinished(60000));
    EXPECT_EQ(second_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second_.exitCode(), 0) << second_.readAllStandardError().toStdString();

    ASSERT_TRUE(waitForLine(first_, firstLog,
                            u"sources received: "_s + root + u"/second/three.wav | "_s + root +
                                u"/second/four five.aiff"_s))
        << firstLog.toStdString();
    EXPECT_EQ(first_.state(), QProcess::Running);
}

TEST_F(SonvaleLaunchTest, ALaunchAfterACrashedOneRunsOnItsOwn)
{
    QString log;
    start(first_, u"first"_s, {});
    ASSERT_TRUE(pumpUntil([&] { return QDir(QString::fromStdString((folder_.path() / "run").string()))
                                           .exists(u"sonvale-%1.socket"_s.arg(::getuid())); }));
    first_.kill(); // leaves its lock and socket behind
    ASSERT_TRUE(first_.waitForFinished());

    start(second_, u"second"_s, {u"six.mp3"_s});
    ASSERT_TRUE(waitForLine(second_, log, u"sources received: "_s)) << log.toStdString();
    EXPECT_EQ(second_.state(), QProcess::Running);
}

TEST_F(SonvaleLaunchTest, AWavGivenAtLaunchIsConvertedIntoTheDefaultFolder)
{
    const QString root = QString::fromStdString(folder_.path().string());
    sonvale::test::writeWav(folder_.path() / "first" / "Launch Tone.wav", 2.0);
    environment_.remove(u"QT_LOGGING_RULES"_s); // as launched from a terminal
    start(first_, u"first"_s, {u"Launch Tone.wav"_s});

    const QString result = root + u"/home/Music/Sonvale/Launch Tone.m4a"_s;
    ASSERT_TRUE(pumpUntil([&] { return QFileInfo(result).size() > 0 || first_.state() != QProcess::Running; }, 2min))
        << first_.readAllStandardError().toStdString();
    EXPECT_EQ(first_.state(), QProcess::Running);
    const QString said = QString::fromUtf8(first_.readAllStandardError());
    EXPECT_FALSE(said.contains(u"sources received"_s)) << "no chatter on the terminal: " << said.toStdString();
}

// A crash of the real application is captured, and its next launch both tells the user and sends
// the crash, once.
TEST_F(SonvaleLaunchTest, ACrashIsReportedOnceAtTheNextLaunchWithTheNotice)
{
    const sonvale::test::LoopbackServer collector;
    const auto launches = [](size_t count) {
        return [count](const std::vector<nlohmann::json>& logs) { return launchesSeen(logs) >= count; };
    };
    reportTo(collector);
    start(first_, u"first"_s, {});
    ASSERT_TRUE(waitForLogs(collector, launches(1)));
    EXPECT_EQ(sonvale::test::logsSentTo(collector).front().at("services"), nlohmann::json::array({"Crashes"}));

    ::kill(static_cast<pid_t>(first_.processId()), SIGSEGV);
    ASSERT_TRUE(first_.waitForFinished());
    EXPECT_EQ(first_.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(first_.exitCode(), SIGSEGV);

    QString said;
    start(second_, u"second"_s, {});
    const QString notice =
        u"Sonvale: alert: Sonvale had a problem and crashed\n"
        "We are sorry that this crash occurred. Our goal is to prevent crashes like this from occuring in the "
        "future.\n\nPlease help us track down and fix this crash by providing detailed information about what you "
        "were doing so that we may reproduce the crash, quickly fix it and provide a workaround for the problem."
        "\n\nThanks for your help in improving Sonvale.\n\n[Continue] [Cancel]"_s;
    EXPECT_TRUE(waitForLine(second_, said, notice)) << said.toStdString();
    // The crash goes out within the first seconds; the launch's own start, announced later, shows
    // that the crash's delivery has been seen through.
    ASSERT_TRUE(waitForLogs(collector, [](const auto& logs) { return countOf(logs, "appleError") >= 1; }));
    ASSERT_TRUE(waitForLogs(collector, launches(2)));
    const auto sent = sonvale::test::logsSentTo(collector);
    const auto crash = std::ranges::find_if(sent, [](const auto& log) { return log.at("type") == "appleError"; });
    EXPECT_EQ(crash->at("osExceptionType"), "SIGSEGV");
    EXPECT_EQ(crash->at("processName"), "sonvale");
    second_.kill();
    ASSERT_TRUE(second_.waitForFinished());

    // The launch after that one has nothing to tell and nothing more to send.
    QString thirdSaid;
    start(first_, u"first"_s, {});
    ASSERT_TRUE(waitForLogs(collector, launches(3)));
    pumpUntil([&] {
        thirdSaid += QString::fromUtf8(first_.readAllStandardError());
        return false;
    }, 3s);
    EXPECT_FALSE(thirdSaid.contains(u"alert:"_s)) << thirdSaid.toStdString();
    EXPECT_EQ(countOf(sonvale::test::logsSentTo(collector), "appleError"), 1u);
}

} // namespace
