#include "tests/app/progress-window/ProgressWindowFixture.h"

#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/support/TQKitEngineStandIn.h"
#include "tests/support/QtTestSupport.h"

#include <QApplication>

#include <algorithm>

namespace sonvale::test {

void ProgressWindowFixture::SetUp()
{
    scriptedResponder().reset();
    QApplication::setPalette(QPalette());
    std::filesystem::create_directories(sources());
    std::filesystem::create_directories(destination());
    engine::reset();
}

void ProgressWindowFixture::TearDown()
{
    scriptedResponder().reset();
    pumpEvents();
}

QString ProgressWindowFixture::addSource(const std::string& name)
{
    const std::filesystem::path file = sources() / name;
    writeWav(file, 0.05);
    return QString::fromStdString(file.string());
}

std::unique_ptr<TQCAppProgressWindowController> ProgressWindowFixture::openWindow(
    const QStringList& paths, const std::function<void(TQTaskInfoRecord&)>& configure)
{
    TQKitConversionList* list = engine::createList(destination().string());
    if (configure) {
        TQTaskInfoRecord record;
        TQKitConversionListGetTaskInfo(list, &record);
        configure(record);
        TQKitConversionListSetTaskInfo(list, &record);
    }
    return std::make_unique<TQCAppProgressWindowController>(engine::converter(), list, paths, QVariantMap(),
                                                            QVariantMap(), &delegate_);
}

bool ProgressWindowFixture::wasStarted(TQKitConversionList* list)
{
    const auto started = engine::startedLists();
    return std::find(started.begin(), started.end(), list) != started.end();
}

bool ProgressWindowFixture::waitUntilStarted(TQCAppProgressWindowController& controller)
{
    TQKitConversionList* list = controller.list();
    return pumpUntil([list] { return wasStarted(list); });
}

} // namespace sonvale::test
