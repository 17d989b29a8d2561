#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class QMenu;
class QWidget;
class TQCAppProgressWindowDelegate;
class TQKitConversionList;
class TQKitConverter;

// The window of one conversion batch. This is its minimal first form: it takes over the batch's
// list, keeps what it was created with and shows the sources; the progress table, the worker and
// the completion actions build on it. Main thread only.
class TQCAppProgressWindowController final : public QObject {
    Q_OBJECT

public:

    // Takes over the one reference of `list`; `converter` stays the caller's.
    TQCAppProgressWindowController(TQKitConverter* converter, TQKitConversionList* list, const QStringList& srcPaths,
                                   const QVariantMap& tunesPasteboardDict, const QVariantMap& tunesTrackSearchDict,
                                   TQCAppProgressWindowDelegate* delegate);
    ~TQCAppProgressWindowController() override;

    QWidget* window() const { return window_.get(); }
    QMenu* ctxmenu() const { return ctxmenu_; }
    TQKitConverter* converter() const { return converter_; }
    TQKitConversionList* list() const { return list_; }
    const QStringList& srcPaths() const { return srcPaths_; }
    const QVariantMap& tunesPasteboardDict() const { return tunesPasteboardDict_; }
    const QVariantMap& tunesTrackSearchDict() const { return tunesTrackSearchDict_; }

    // Lets go of the list and the delegate; the window then acts on nothing.
    void invalidateConversionList();
    // Closes the window and tells the delegate.
    void close();

private:
    std::unique_ptr<QWidget> window_;
    QMenu* ctxmenu_;
    TQKitConverter* converter_;
    TQKitConversionList* list_;
    QStringList srcPaths_;
    QVariantMap tunesPasteboardDict_;
    QVariantMap tunesTrackSearchDict_;
    TQCAppProgressWindowDelegate* delegate_;
    bool closed_ = false;
};
