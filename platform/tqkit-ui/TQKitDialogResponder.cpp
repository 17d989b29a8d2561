#include "platform/tqkit-ui/TQKitDialogResponder.h"

#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHash>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include <algorithm>
#include <array>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A caution sign only where something may go wrong; a plain question or notice goes without one.
QMessageBox::Icon iconOf(const TQKitAlertRequest& request)
{
    if (request.flags & kTQKitAlertCaution)
        return QMessageBox::Warning;
    switch (request.kind) {
    case TQKitAlertRequest::Kind::Question:
        return QMessageBox::Question;
    case TQKitAlertRequest::Kind::Alert:
        return request.buttons.size() > 1 ? QMessageBox::Question : QMessageBox::Information;
    case TQKitAlertRequest::Kind::Message:
    case TQKitAlertRequest::Kind::Notice:
        break;
    }
    return QMessageBox::Information;
}

// The accessory view stands under the texts, above the check box and the buttons, as on an alert.
void addAccessoryView(QMessageBox* box, QWidget* accessoryView)
{
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    if (!grid)
        return;
    QList<QWidget*> below;
    if (box->checkBox())
        below.append(box->checkBox());
    if (auto* buttons = box->findChild<QDialogButtonBox*>())
        below.append(buttons);
    int firstRow = grid->rowCount();
    QList<std::array<int, 4>> positions;
    for (QWidget* widget : below) {
        std::array<int, 4> position{};
        grid->getItemPosition(grid->indexOf(widget), &position[0], &position[1], &position[2], &position[3]);
        positions.append(position);
        firstRow = std::min(firstRow, position[0]);
        grid->removeWidget(widget);
    }
    // Aligned with the texts: their column is right of the icon and of the gap the box keeps after it.
    int textColumn = 1;
    if (auto* text = box->findChild<QLabel*>(u"qt_msgbox_label"_s); text && grid->indexOf(text) >= 0) {
        int row = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        grid->getItemPosition(grid->indexOf(text), &row, &textColumn, &rowSpan, &columnSpan);
    }
    grid->addWidget(accessoryView, firstRow, textColumn, 1, grid->columnCount() - textColumn);
    for (qsizetype i = 0; i < below.size(); ++i)
        grid->addWidget(below[i], positions[i][0] + 1, positions[i][1], positions[i][2], positions[i][3]);
    // It was hidden when an earlier box let go of it.
    accessoryView->show();
}

// The window manager cuts a title that is wider than the box: the box grows to show it whole.
void makeRoomForTitle(QMessageBox* box)
{
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    if (!grid)
        return;
    QFont titleFont = box->font();
    titleFont.setBold(true);
    // Room for the window manager's buttons on either side of the title.
    constexpr int kTitleBarControls = 160;
    const int width = QFontMetrics(titleFont).horizontalAdvance(box->windowTitle()) + kTitleBarControls;
    // Shares the first row with the texts (a grid cell may hold more than one item), so it adds no
    // row of its own.
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), 0, 0, 1, grid->columnCount());
}

// The default button asks the request before it answers: a refusal leaves the box open.
void guardDefaultButton(QMessageBox* box, QPushButton* button, std::function<bool()> accepts)
{
    auto* buttons = box->findChild<QDialogButtonBox*>();
    if (!buttons)
        return;
    QObject::disconnect(button, &QAbstractButton::clicked, buttons, nullptr);
    QObject::connect(button, &QAbstractButton::clicked, buttons, [buttons, button, accepts = std::move(accepts)] {
        if (accepts())
            Q_EMIT buttons->clicked(button);
    });
}

QMessageBox* makeBox(const TQKitAlertRequest& request, QWidget* window,
                     QHash<QAbstractButton*, int>& codes)
{
    auto* box = new QMessageBox(window);
    box->setIcon(iconOf(request));
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
        if (i == 0 && request.acceptsDefaultButton)
            guardDefaultButton(box, pushButton, request.acceptsDefaultButton);
        if (i == request.buttons.size() - 1)
            box->setEscapeButton(pushButton);
    }
    if (request.showsSuppressionBox)
        box->setCheckBox(new QCheckBox(u"Do not show this message again"_s, box));
    if (request.accessoryView)
        addAccessoryView(box, request.accessoryView);
    makeRoomForTitle(box);
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

    if (request.shown)
        QMetaObject::invokeMethod(box, request.shown, Qt::QueuedConnection);
    if (request.modal)
        box->exec();
    else
        box->open();
}
