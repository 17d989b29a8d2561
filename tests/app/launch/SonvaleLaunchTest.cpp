// Whole-application runs: the built `sonvale` started as real processes, offscreen, in a temporary
// home and runtime folder.

#include "platform/tqkit/TQKitSettingsStore.h"
#include "tests/app/support/ProgressWindowTestSupport.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <ctime>
#include <string>

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

} // namespace
