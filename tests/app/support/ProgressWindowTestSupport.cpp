#include "tests/app/support/ProgressWindowTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMimeData>
#include <QUrl>


#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace sonvale::test {

namespace {

void put(std::ofstream& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xff));
}

bool setImmutable(const std::filesystem::path& folder, bool on)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

QStringList RecordingDelegate::dropPanelParsePasteboardMaxCount(TQNSViewDropPanel*, const QMimeData* pasteboard,
                                                                int maxCount)
{
    const QMimeData* data = pasteboard ? pasteboard : QApplication::clipboard()->mimeData();
    QStringList files;
    for (const QUrl& url : data ? data->urls() : QList<QUrl>{}) {
        if (url.isLocalFile() && (maxCount == 0 || files.size() < maxCount))
            files.append(url.toLocalFile());
    }
    return files;
}

void writeWav(const std::filesystem::path& file, double seconds)
{
    constexpr uint32_t rate = 44100;
    constexpr uint16_t channels = 2;
    const auto frames = static_cast<uint32_t>(seconds * rate);
    const uint32_t dataBytes = frames * channels * 2;
    std::ofstream out(file, std::ios::binary);
    out.write("RIFF", 4);
    put(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    put(out, 16, 4);
    put(out, 1, 2);
    put(out, channels, 2);
    put(out, rate, 4);
    put(out, rate * channels * 2, 4);
    put(out, channels * 2, 2);
    put(out, 16, 2);
    out.write("data", 4);
    put(out, dataBytes, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto sample = static_cast<int16_t>(8000.0 * std::sin(2.0 * M_PI * 440.0 * i / rate));
        for (int c = 0; c < channels; ++c)
            put(out, static_cast<uint16_t>(sample), 2);
    }
}

UnwritableFolder::UnwritableFolder(std::filesystem::path folder) : folder_(std::move(folder))
{
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                              std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    if (::access(folder_.c_str(), W_OK) == 0)
        immutable_ = setImmutable(folder_, true);
}

UnwritableFolder::~UnwritableFolder()
{
    if (immutable_)
        setImmutable(folder_, false);
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

bool UnwritableFolder::usable() const { return ::access(folder_.c_str(), W_OK) != 0; }

namespace {
const QStringList kOpenedSchemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file")};
} // namespace

OpenedUrls::OpenedUrls()
{
    for (const QString& scheme : kOpenedSchemes)
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

OpenedUrls::~OpenedUrls()
{
    for (const QString& scheme : kOpenedSchemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

} // namespace sonvale::test
