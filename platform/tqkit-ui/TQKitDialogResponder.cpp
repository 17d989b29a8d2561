#include "platform/tqkit-ui/TQKitDialogResponder.h"

#include "platform/tqkit-ui/TQKitWindowSheet.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QMessageBox::Icon iconOf(TQKitAlertRequest::Kind kind)
{
    switch (kind) {
    case TQKitAlertRequest::Kind::Question:
        return QMessageBox::Question;
    case TQKitAlertRequest::Kind::Alert:
        return QMessageBox::Warning;
    case TQKitAlertRequest::Kind::Message:
    case TQKitAlertRequest::Kind::Notice:
        break;
    }
    return QMessageBox::Information;
}

// The accessory view stands under the texts, above the buttons, as on an alert.
void addAccessoryView(QMessageBox* box, QWidget* accessoryView)
{
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    if (!grid)
        return;
    auto* buttons = box->findChild<QDialogButtonBox*>();
    const int buttonsIndex = buttons ? grid->indexOf(buttons) : -1;
    if (buttonsIndex < 0) {
        grid->addWidget(accessoryView, grid->rowCount(), 0, 1, grid->columnCount());
        return;
    }
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(buttonsIndex, &row, &column, &rowSpan, &columnSpan);
    grid->removeWidget(buttons);
    // Aligned with the texts, right of the icon.
    grid->addWidget(accessoryView, row, 1, 1, grid->columnCount() - 1);
    grid->addWidget(buttons, row + 1, column, rowSpan, columnSpan);
}

QMessageBox* makeBox(const TQKitAlertRequest& request, QWidget* window,
                     QHash<QAbstractButton*, int>& codes)
{
    auto* box = new QMessageBox(window);
    box->setIcon(iconOf(request.kind));
    box->setWindowTitle(request.title);
    box->setText(request.title);
    box->setInformativeText(request.message);
    for (qsizetype i = 0; i < request.buttons.size(); ++i) {
        const TQKitAlertRequest::Button& button = request.buttons[i];
        const auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
        QPushButton* pushButton = box->addButton(button.title, role);
        pushButton->setToolTip(button.hint);
        codes.insert(pushButton, button.code);
        if (i == 0)
            box->setDefaultButton(pushButton);
        if (i == request.buttons.size() - 1)
            box->setEscapeButton(pushButton);
    }
    if (request.showsSuppressionBox)
        box->setCheckBox(new QCheckBox(u"Do not show this message again"_s, box));
    if (request.accessoryView)
        addAccessoryView(box, request.accessoryView);
    return box;
}

} // namespace

void TQKitDialogResponder::present(const TQKitAlertRequest& request, Completion done)
{
    QWidget* window = request.parent ? request.parent->window() : nullptr;
    auto codes = std::make_shared<QHash<QAbstractButton*, int>>();
    QMessageBox* box = makeBox(request, window, *codes);
    if (!window || !TQKitWindowSheet::of(window)->attach(box))
        box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);

    // The answer is given exactly once: when the box finishes, or, should it be destroyed
    // unanswered (its window closed), as if Escape had been pressed.
    auto answered = std::make_shared<bool>(false);
    const int escapeCode = request.escapeCode();
    const QPointer<QWidget> accessoryView = request.accessoryView;
    QObject::connect(box, &QDialog::finished, box, [box, codes, answered, done, accessoryView] {
        if (*answered)
            return;
        *answered = true;
        if (accessoryView) {
            // The accessory view belongs to the caller: it must outlive the box.
            accessoryView->hide();
            accessoryView->setParent(nullptr);
        }
        TQKitAlertAnswer answer;
        answer.button = codes->value(box->clickedButton(), codes->value(box->escapeButton()));
        answer.suppressed = box->checkBox() && box->checkBox()->isChecked();
        box->deleteLater();
        done(answer);
    });
    QObject::connect(box, &QObject::destroyed, QCoreApplication::instance(), [answered, done, escapeCode] {
        if (*answered)
            return;
        *answered = true;
        done(TQKitAlertAnswer{escapeCode, false});
    });

    if (request.modal)
        box->exec();
    else
        box->open();
}
