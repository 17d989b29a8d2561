#include "tests/app/support/MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <cmath>
#include <cstring>

using namespace std::chrono_literals;

namespace sonvale::test {

MainWindowFixture::MainWindowFixture()
{
    scriptedResponder().reset();
}

MainWindowFixture::~MainWindowFixture()
{
    controller_.reset();
    window_.reset();
    pumpEvents();
    scriptedResponder().reset();
}

void MainWindowFixture::load()
{
    window_ = std::make_unique<TQCAppMainWindow>();
    controller_ = std::make_unique<TQCAppMainWindowControllerCustom>();
    controller_->setWindow(window_.get());
    controller_->windowDidLoad();
    pumpEvents();
}

void MainWindowFixture::settle(std::chrono::milliseconds time)
{
    pumpUntil([] { return false; }, time);
}

QString MainWindowFixture::homePath(const QString& relative) const
{
    return QDir(QString::fromStdString(home_.path().string())).filePath(relative);
}

QString MainWindowFixture::makeWav(const QString& name) const
{
    constexpr int rate = 8000;
    constexpr int frames = rate / 10;
    QByteArray samples;
    for (int i = 0; i < frames; ++i) {
        const auto value = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * i / rate));
        samples.append(reinterpret_cast<const char*>(&value), 2);
    }
    auto le32 = [](uint32_t v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    auto le16 = [](uint16_t v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    QByteArray wav = "RIFF" + le32(36 + samples.size()) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(rate) +
                     le32(rate * 2) + le16(2) + le16(16) + "data" + le32(samples.size()) + samples;
    const QString path = homePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(wav);
    return path;
}

std::unique_ptr<QMimeData> MainWindowFixture::fileDrag(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

bool MainWindowFixture::waitForBatches(int count)
{
    return pumpUntil([&] { return controller_->progressWindowControllers().size() >= count; });
}

} // namespace sonvale::test
