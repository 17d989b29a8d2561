#pragma once

// What a progress window does with the converted files of its batch: reveal them in the file
// manager, open them in Lyrebook, add them to a playlist of the music library. The links, menu
// items and tips of the finished window and its automatic steps at the end of a batch all come
// here. Main thread only; each call reads the list's results afresh.

#include <functional>

class QWidget;
class TQKitConversionList;
struct TQTaskInfoRecord;

class TQCAppProgressWindowCompletionActions final {
public:
    // `window` parents the message boxes and sheets; it outlives this object.
    explicit TQCAppProgressWindowCompletionActions(QWidget* window) : window_(window) {}

    // Reveals the results: the files when they lie in one folder (fewer than 500), the folders
    // when those share one parent (fewer than 500), else their common folder.
    void showInFileManager(TQKitConversionList* list);
    // Opens the exportable results with the first installed copy of Lyrebook that starts. With
    // none, opens the product page: always when `force`, else once per process.
    void openInLyrebook(TQKitConversionList* list, bool force);
    // Asks for a playlist of the music library and adds the exportable results to it;
    // `closeWindow` runs when the person asked to close the window once they were added.
    void sendToMusic(TQKitConversionList* list, std::function<void()> closeWindow);

    // At least one result is a file the music library and Lyrebook take.
    static bool hasExportableResult(const TQKitConversionList* list);
    // The batch's output format cannot go into the music library.
    static bool isMusicIncompatible(const TQTaskInfoRecord& record);

private:
    QWidget* window_;
};
