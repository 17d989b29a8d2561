#include "platform/tqkit/TQKitThread.h"

#include <cstdio>

TQKitThread::~TQKitThread()
{
    if (thread_.joinable()) {
        std::fprintf(stderr, "Sonvale: a worker thread was still running when its owner went away\n");
        RequestStop();
        thread_.join();
    }
}

bool TQKitThread::Start()
{
    if (thread_.joinable())
        return false;
    stop_.store(0);
    running_.store(true);
    thread_ = std::thread([this] {
        Run();
        running_.store(false);
    });
    return true;
}

void TQKitThread::Join()
{
    if (thread_.joinable())
        thread_.join();
}
