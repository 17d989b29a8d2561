#include "app/TQCAppProgressWindowController.h"

#include "app/TQCAppMenuTags.h"
#include "app/TQCAppProgressWindowDelegate.h"
#include "app/TQKitConversion.h"
#include "app/TQKitMenuItems.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// Tells the controller when the person closes the window.
class ProgressWindow final : public QWidget {
public:
    explicit ProgressWindow(std::function<void()> closed) : closed_(std::move(closed)) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        QWidget::closeEvent(event);
        closed_();
    }

private:
    std::function<void()> closed_;
};

} // namespace

TQCAppProgressWindowController::TQCAppProgressWindowController(
    TQKitConverter* converter, TQKitConversionList* list, const QStringList& srcPaths,
    const QVariantMap& tunesPasteboardDict, const QVariantMap& tunesTrackSearchDict,
    TQCAppProgressWindowDelegate* delegate)
    : window_(std::make_unique<ProgressWindow>([this] { close(); })), ctxmenu_(new QMenu(window_.get())),
      converter_(converter), list_(list), srcPaths_(srcPaths), tunesPasteboardDict_(tunesPasteboardDict),
      tunesTrackSearchDict_(tunesTrackSearchDict), delegate_(delegate)
{
    window_->setObjectName(u"progressWindow"_s);
    window_->setWindowTitle(u"Converting"_s);
    auto* layout = new QVBoxLayout(window_.get());
    auto* sources = new QLabel(srcPaths.join(u'\n'), window_.get());
    sources->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(sources);
    window_->resize(520, 160);

    auto* destination = new QMenu(u"Destination Folder"_s, ctxmenu_);
    TQKitMenuItemSetTag(ctxmenu_->addMenu(destination), kTQMenuTagDestinationFolder);
    window_->show();
}

TQCAppProgressWindowController::~TQCAppProgressWindowController() { invalidateConversionList(); }

void TQCAppProgressWindowController::invalidateConversionList()
{
    delegate_ = nullptr;
    if (!list_)
        return;
    TQKitConversionList* list = list_;
    list_ = nullptr;
    if (converter_)
        TQKitConverterReleaseList(converter_, list);
    converter_ = nullptr;
    TQKitConversionListRelease(list);
}

void TQCAppProgressWindowController::close()
{
    if (closed_)
        return;
    closed_ = true;
    window_->hide();
    if (TQCAppProgressWindowDelegate* delegate = delegate_)
        delegate->progressWindowDidClose(this);
}
