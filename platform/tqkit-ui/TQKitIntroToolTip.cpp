#include "platform/tqkit-ui/TQKitIntroToolTip.h"

#include "platform/tqkit/TQKitSettings.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr char kSection[] = "TQKitIntroToolTips";
constexpr int kActionDelayMs = 300;

std::string key(const QString& identifier, const char* suffix) { return (identifier + QString::fromLatin1(suffix)).toStdString(); }

QFrame* buildTip(QWidget* anchor, const QVariantMap& description, const std::function<void()>& action)
{
    auto* tip = new QFrame(anchor, Qt::ToolTip);
    tip->setObjectName(u"introToolTip"_s);
    tip->setAttribute(Qt::WA_DeleteOnClose);
    tip->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(tip);
    layout->addWidget(new QLabel(u"<b>%1</b>"_s.arg(description.value(u"title"_s).toString().toHtmlEscaped()), tip));
    auto* message = new QLabel(description.value(u"message"_s).toString(), tip);
    message->setWordWrap(true);
    message->setMaximumWidth(280);
    layout->addWidget(message);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const QString defaultButton = description.value(u"defaultButton"_s).toString();
    if (!defaultButton.isEmpty()) {
        auto* run = new QPushButton(defaultButton, tip);
        QObject::connect(run, &QPushButton::clicked, tip, [tip, action] {
            tip->close();
            if (action)
                QTimer::singleShot(kActionDelayMs, tip->parentWidget(), action);
        });
        buttons->addWidget(run);
    }
    auto* close = new QPushButton(u"Close"_s, tip);
    QObject::connect(close, &QPushButton::clicked, tip, &QWidget::close);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    return tip;
}

} // namespace

bool TQKitShowIntroToolTip(QWidget* anchor, const QString& identifier, const QVariantMap& description,
                           std::function<void()> action)
{
    if (!anchor || identifier.isEmpty() || !anchor->isVisible())
        return false;
    if (TQKitSettingReadInt(kSection, key(identifier, ".shown").c_str(), 0) != 0)
        return false;
    const int offered = TQKitSettingReadInt(kSection, key(identifier, ".offered").c_str(), 0) + 1;
    TQKitSettingWriteInt(kSection, key(identifier, ".offered").c_str(), offered);
    if (offered <= description.value(u"ITTDelayShows"_s).toInt())
        return false;
    TQKitSettingWriteInt(kSection, key(identifier, ".shown").c_str(), 1);
    QFrame* tip = buildTip(anchor, description, action);
    tip->adjustSize();
    tip->move(anchor->mapToGlobal(QPoint(anchor->width() / 2, anchor->height() + 4)));
    tip->show();
    return true;
}

bool TQKitIntroToolTipWasShown(const QString& identifier)
{
    return !identifier.isEmpty() && TQKitSettingReadInt(kSection, key(identifier, ".shown").c_str(), 0) != 0;
}
