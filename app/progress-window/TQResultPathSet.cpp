#include "app/progress-window/TQResultPathSet.h"

#include "platform/tqkit/TQKitPaths.h"

#include <algorithm>

namespace {

bool contains(const std::vector<std::string>& list, const std::string& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The longest run of whole leading components that two normalised folders share.
std::string commonComponents(const std::string& a, const std::string& b)
{
    size_t end = 0;
    const size_t limit = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i < limit && a[i] == b[i]; ++i) {
        if (a[i] == '/')
            end = i;
    }
    // One folder lies in the other, or they are equal: the shorter one is common whole.
    if (i == limit && (a.size() == b.size() || (a.size() > limit ? a[limit] : b[limit]) == '/'))
        end = limit;
    if (end == 0 && !a.empty() && a[0] == '/')
        return "/";
    return a.substr(0, end);
}

void collect(const std::string& path, TQResultPathSet& set)
{
    if (!TQKitPathExists(path.c_str()))
        return;
    set.files.push_back(path);
    std::string folder = TQKitPathFolder(path);
    if (contains(set.folders, folder))
        return;
    const std::string parent = TQKitPathFolder(folder);
    if (!contains(set.parentFolders, parent))
        set.parentFolders.push_back(parent);
    set.folders.push_back(folder);
    set.commonFolder = set.commonFolder.empty() ? folder : commonComponents(set.commonFolder, folder);
    TQKitPathNormalize(set.commonFolder);
}

std::string textOf(const char* path) { return path ? path : ""; }

} // namespace

bool TQResultPathCollect(void*, const char* path, void* data)
{
    if (data)
        collect(textOf(path), *static_cast<TQResultPathSet*>(data));
    return true;
}

bool TQResultPathCollectExportable(void*, const char* path, void* data)
{
    if (data && TQKitIsExportableAudioFile(path))
        collect(textOf(path), *static_cast<TQResultPathSet*>(data));
    return true;
}

bool TQResultPathFindExportable(void*, const char* path, void* data)
{
    if (!data || !TQKitIsExportableAudioFile(path))
        return true;
    auto* set = static_cast<TQResultPathSet*>(data);
    collect(textOf(path), *set);
    return set->files.empty();
}

void TQResultPathSetDestroy(TQResultPathSet* set)
{
    if (set)
        *set = TQResultPathSet{};
}
