// Driver of bench/ui-responsiveness: converts a batch of generated WAV files to MP3 through one
// progress window over the real engine, while a heartbeat timer on the main thread measures how
// long the event loop was kept from running. Prints the largest gap as its last line, after the
// most processor time the main thread spent within one gap: on a busy machine a gap is mostly
// the wait for a free core, which that figure leaves out.
//
// Usage: sonvale-ui-bench <conversion-service> <work-folder> [files] [seconds-per-file]

#include "app/controls/TQNSTextFieldLink.h"
#include "app/progress-window/TQCAppProgressWindowController.h"
#include "platform/engine/ServiceItemRunner.h"
#include "platform/engine/TQKitConversionList.h"
#include "platform/engine/TQKitConverter.h"
#include "platform/tqkit/TQTaskInfoRecord.h"
#include "tests/app/support/ProgressWindowTestSupport.h"
#include "tests/support/ScriptedResponder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// Processor time of the calling thread, in microseconds.
qint64 threadCpuMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <conversion-service> <work-folder> [files] [seconds-per-file]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    sonvale::test::ScriptedResponder responder; // no question is expected; none may wait for a person
    TQKitAlertResponder::install(&responder);

    const fs::path work = argv[2];
    const int files = argc > 3 ? std::stoi(argv[3]) : 200;
    const double seconds = argc > 4 ? std::stod(argv[4]) : 5.0;
    const fs::path sources = work / "sources";
    const fs::path destination = work / "converted";
    fs::create_directories(sources);
    fs::create_directories(destination);
    QStringList paths;
    for (int i = 1; i <= files; ++i) {
        const fs::path file = sources / ("track" + std::to_string(i) + ".wav");
        sonvale::test::writeWav(file, seconds);
        paths.append(QString::fromStdString(file.string()));
    }

    TQKitConverter* converter = nullptr;
    TQKitConverterOptions options;
    options.runner = std::make_shared<sonvale::engine::ServiceItemRunner>(argv[1]);
    TQKitConverterCreateWithOptions(&converter, options);
    TQKitConversionList* list = nullptr;
    TQKitConversionListCreate(&list);
    TQTaskInfoRecord record;
    TQKitTaskInfoInit(&record);
    record.formatCode = kTQTaskInfoFormatMP3;
    TQKitTaskInfoSetDestination(&record, destination.c_str(), destination.string().size());
    TQKitConversionListSetTaskInfo(list, &record);

    sonvale::test::RecordingDelegate delegate;
    QElapsedTimer clock;
    clock.start();
    qint64 lastBeat = 0;
    qint64 largestGap = 0;
    qint64 lastCpu = 0;
    qint64 largestBusy = 0; // microseconds
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        const qint64 cpu = threadCpuMicroseconds();
        largestGap = std::max(largestGap, now - lastBeat);
        largestBusy = std::max(largestBusy, cpu - lastCpu);
        if (now - lastBeat > 50 && qEnvironmentVariableIsSet("SONVALE_BENCH_GAPS"))
            std::fprintf(stderr, "gap of %lld ms ending at %lld ms, %.1f ms of it on a core\n",
                         static_cast<long long>(now - lastBeat), static_cast<long long>(now),
                         static_cast<double>(cpu - lastCpu) / 1000.0);
        lastBeat = now;
        lastCpu = cpu;
    });

    auto controller = std::make_unique<TQCAppProgressWindowController>(converter, list, paths, QVariantMap(),
                                                                       QVariantMap(), &delegate);
    QTimer finished;
    finished.setInterval(50);
    QObject::connect(&finished, &QTimer::timeout, [&] {
        if (controller->statusBottom()->text() == QStringLiteral("Finished"))
            app.quit();
    });
    lastBeat = clock.elapsed();
    lastCpu = threadCpuMicroseconds();
    heartbeat.start();
    finished.start();
    app.exec();

    const double total = static_cast<double>(clock.elapsed()) / 1000.0;
    std::printf("%s\n", controller->statusTop()->text().toStdString().c_str());
    std::printf("%d files of %.1f s converted in %.1f s\n", files, seconds, total);
    controller.reset();
    TQKitConverterDestroy(&converter);
    std::printf("largest main-thread busy time within a gap: %.1f ms\n", static_cast<double>(largestBusy) / 1000.0);
    std::printf("largest main-thread gap: %lld ms\n", static_cast<long long>(largestGap));
    return 0;
}
