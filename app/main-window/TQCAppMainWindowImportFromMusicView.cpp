#include "app/main-window/TQCAppMainWindowImportFromMusicView.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/preferences/TQPreferencesDialogEntryPoints.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"

#include <QEvent>
#include <QHBoxLayout>

using namespace Qt::StringLiterals;

TQCAppMainWindowImportFromMusicView::TQCAppMainWindowImportFromMusicView(QWidget* parent)
    : QWidget(parent), organizeDestFiles_(new TQNSTextFieldLink(u"Organize destination files..."_s, this))
{
    setObjectName(u"importFromMusicView"_s);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(organizeDestFiles_);
    layout->addStretch();
    organizeDestFiles_->setHyperLinkEnabled(true);
    TQKitSetAccessibilityHelp(organizeDestFiles_, u"Click on this link to organize destination files."_s);
    connect(organizeDestFiles_, &TQNSTextFieldLink::clicked, this, [this] { organizeDestinationFiles(); });
    enableControls();
}

void TQCAppMainWindowImportFromMusicView::enableControls()
{
    QWidget* preferences = TQPreferencesDialogGetWindow();
    organizeDestFiles_->setEnabled(!preferences || !TQKitWindowHasSheet(preferences));
}

void TQCAppMainWindowImportFromMusicView::organizeDestinationFiles()
{
    TQPreferencesDialogShowPageWithLabelOnMainThread(u"General"_s, u"Destination"_s);
}

bool TQCAppMainWindowImportFromMusicView::event(QEvent* event)
{
    // Windows becoming active or giving it up stand for the key and sheet changes it follows.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
        enableControls();
    return QWidget::event(event);
}
