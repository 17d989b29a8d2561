#include "tests/app/support/MainWindowFixture.h"

#include "app/main-window/TQCAppMainWindowPanelSrcFiles.h"
#include "tests/app/support/ProgressWindowTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWindow>

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
    const QString path = homePath(name);
    writeWav(path.toStdString(), 0.1);
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

bool MainWindowFixture::dropOnSourcePanel(const QMimeData* data)
{
    const QPoint where = window_->srcFilesPanel()->mapTo(window_.get(), QPoint(40, 40));
    QDragEnterEvent enter(where, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_->windowHandle(), &enter);
    QDropEvent drop(where, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_->windowHandle(), &drop);
    return enter.isAccepted() && drop.isAccepted();
}

bool MainWindowFixture::waitForBatches(int count)
{
    return pumpUntil([&] { return controller_->progressWindowControllers().size() >= count; });
}

} // namespace sonvale::test
