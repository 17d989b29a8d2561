#include "platform/tqkit-ui/TQKitPopoverMessage.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kVisibleMilliseconds = 5000;

} // namespace

void TQKitShowPopoverMessage(QWidget* anchor, const QString& title, const QString& message)
{
    if (!anchor)
        return;
    auto* frame = new QFrame(anchor, Qt::ToolTip);
    frame->setObjectName(u"popoverMessage"_s);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(frame);
    auto* heading = new QLabel(u"<b>%1</b>"_s.arg(title.toHtmlEscaped()), frame);
    heading->setObjectName(u"popoverTitle"_s);
    layout->addWidget(heading);
    layout->addWidget(new QLabel(message, frame));
    frame->adjustSize();
    frame->move(anchor->mapToGlobal(QPoint(0, anchor->height() + 4)));
    frame->show();
    QTimer::singleShot(kVisibleMilliseconds, frame, &QWidget::close);
}
