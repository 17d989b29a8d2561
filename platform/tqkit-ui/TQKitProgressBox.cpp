#include "platform/tqkit-ui/TQKitProgressBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <atomic>

using namespace Qt::StringLiterals;

class TQKitProgressBox final {
public:
    TQKitProgressBox()
    {
        dialog_ = new QDialog;
        dialog_->setObjectName(u"progressBox"_s);
        dialog_->setWindowTitle(u"Sonvale"_s);
        auto* layout = new QVBoxLayout(dialog_);
        title_ = new QLabel(dialog_);
        QFont bold = title_->font();
        bold.setBold(true);
        title_->setFont(bold);
        detail_ = new QLabel(dialog_);
        detail_->hide();
        bar_ = new QProgressBar(dialog_);
        bar_->setTextVisible(false);
        bar_->setMinimumWidth(320);
        buttons_ = new QDialogButtonBox(QDialogButtonBox::Cancel, dialog_);
        layout->addWidget(title_);
        layout->addWidget(detail_);
        layout->addWidget(bar_);
        layout->addWidget(buttons_);
        QObject::connect(buttons_, &QDialogButtonBox::rejected, dialog_, [this] { cancel(); });
        // Escape and the close box mean Cancel too, while Cancel is offered.
        QObject::connect(dialog_, &QDialog::rejected, dialog_, [this] {
            if (buttons_->isVisible())
                cancel();
        });
    }
    ~TQKitProgressBox() { delete dialog_.data(); }

    void cancel()
    {
        if (!buttons_->isVisible() || cancelled_.exchange(true))
            return;
        if (cancelHandler_)
            cancelHandler_();
    }

    QPointer<QDialog> dialog_;
    QLabel* title_ = nullptr;
    QLabel* detail_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    std::function<void()> cancelHandler_;
    std::atomic<bool> cancelled_{false};
};

TQProgressBoxRefTag TQKitProgressBoxCreate() { return new TQKitProgressBox; }

void TQKitProgressBoxSetIndeterminate(TQProgressBoxRefTag box, int indeterminate)
{
    if (box)
        box->bar_->setRange(0, indeterminate ? 0 : 1000);
}

void TQKitProgressBoxSetBarMode(TQProgressBoxRefTag box, int mode)
{
    if (box)
        box->bar_->setVisible(mode != 0);
}

void TQKitProgressBoxSetCancellable(TQProgressBoxRefTag box, int cancellable)
{
    if (box)
        box->buttons_->setVisible(cancellable != 0);
}

void TQKitProgressBoxSetCancelHandler(TQProgressBoxRefTag box, std::function<void()> handler)
{
    if (!box)
        return;
    box->cancelHandler_ = std::move(handler);
    box->buttons_->setVisible(true);
}

void TQKitProgressBoxSetTitle(TQProgressBoxRefTag box, const char* title)
{
    if (box)
        box->title_->setText(QString::fromUtf8(title ? title : ""));
}

void TQKitProgressBoxSetDetail(TQProgressBoxRefTag box, const char* detail)
{
    if (!box)
        return;
    box->detail_->setText(QString::fromUtf8(detail ? detail : ""));
    box->detail_->setVisible(detail && *detail);
}

void TQKitProgressBoxSetProgress(TQProgressBoxRefTag box, double fraction)
{
    if (!box)
        return;
    box->bar_->setRange(0, 1000);
    box->bar_->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000));
}

void TQKitProgressBoxShow(TQProgressBoxRefTag box, QWidget* parent)
{
    if (!box || !box->dialog_)
        return;
    if (parent) {
        box->dialog_->setParent(parent->window(), Qt::Sheet | Qt::Dialog);
        box->dialog_->setWindowModality(Qt::WindowModal);
    }
    box->dialog_->show();
}

bool TQKitProgressBoxIsCancelled(TQProgressBoxRefTag box) { return box && box->cancelled_.load(); }

void TQKitProgressBoxClose(TQProgressBoxRefTag box) { delete box; }
