#include "app/main-window/TQCAppMainWindowWaitingController.h"

#include "platform/tqkit-ui/TQKitWindowSheet.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TQCAppMainWindowWaitingController::TQCAppMainWindowWaitingController()
    : sheet_(new QDialog), topLabel_(new QLabel(sheet_)), progressIndicator_(new QProgressBar(sheet_)),
      quitNowButton_(new QPushButton(u"Quit Now"_s, sheet_))
{
    sheet_->setObjectName(u"waitingSheet"_s);
    sheet_->setWindowTitle(u"Sonvale"_s);
    topLabel_->setObjectName(u"topLabel"_s);
    topLabel_->setMinimumWidth(320);
    progressIndicator_->setRange(0, 0); // busy: no known end
    progressIndicator_->setTextVisible(false);
    quitNowButton_->setObjectName(u"quitNowButton"_s);
    quitNowButton_->hide();

    auto* layout = new QVBoxLayout(sheet_);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->addWidget(topLabel_);
    layout->addWidget(progressIndicator_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(quitNowButton_);
    layout->addLayout(buttons);
}

TQCAppMainWindowWaitingController::~TQCAppMainWindowWaitingController()
{
    close();
    delete sheet_;
}

void TQCAppMainWindowWaitingController::showModal(QWidget* window)
{
    if (sheetActive_ || !sheet_)
        return;
    sheet_->setParent(window, sheet_->windowFlags() | Qt::Sheet);
    if (!TQKitWindowSheet::of(window)->attach(sheet_))
        return;
    sheet_->open();
    sheetActive_ = true;
}

void TQCAppMainWindowWaitingController::close()
{
    if (sheetActive_ && sheet_) {
        sheetActive_ = false;
        sheet_->done(QDialog::Rejected);
    }
}

void TQCAppMainWindowWaitingController::offerQuitNow(std::function<void()> quitNow)
{
    quitNowButton_->disconnect();
    connect(quitNowButton_, &QPushButton::clicked, this, [quitNow = std::move(quitNow)] { quitNow(); });
    quitNowButton_->show();
}
