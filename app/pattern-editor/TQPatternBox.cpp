#include "app/pattern-editor/TQPatternBox.h"

#include "app/pattern-editor/TQTagLibTextComposeView.h"
#include "platform/tqkit-ui/TQKitAlerts.h"

#include <QPointer>

using namespace Qt::StringLiterals;

void TQPatternBoxShowAlert(const QString& pattern, uint32_t patternFlags, QWidget* parent, const QString& title,
                           const QString& message, const QVariantMap& texts, TQPatternBoxCompletion completion)
{
    // The view is the box's accessory; it lives until the box has answered.
    QPointer<TQTagLibTextComposeView> view = new TQTagLibTextComposeView;
    view->setPatternFlags(patternFlags);
    view->setTextPattern(pattern.isEmpty() ? u"{{artist}}/{{album}}"_s : pattern);
    view->setMsgDict(TQPatternBoxMessages(texts, message));

    QVariantMap description;
    description.insert(u"accessoryView"_s, QVariant::fromValue<QObject*>(view.data()));
    description.insert(u"title"_s, title);
    description.insert(u"message"_s, message);
    description.insert(u"defaultButton"_s, u"Save"_s);
    description.insert(u"defaultButtonHint"_s, u"Press this button to save the pattern."_s);
    description.insert(u"alternateButton"_s, u"Cancel"_s);
    description.insert(u"alternateButtonHint"_s, u"Press this button to cancel the editing and close the window."_s);
    description.insert(u"flags"_s, 8);
    TQKitRunAlert(parent, description, [view, completion = std::move(completion)](int button, bool) {
        std::optional<QString> result;
        if (button == kTQKitAlertDefaultButton && view)
            result = view->textPattern();
        if (view)
            view->deleteLater();
        if (completion)
            completion(result);
    });
}

QVariantMap TQPatternBoxMessages(const QVariantMap& texts, const QString& message)
{
    if (message.isEmpty())
        return texts;
    const QString help = QString(message).replace(u'\n', u' ');
    QVariantMap result = texts;
    for (const QString& key : {u"TQCVTokenFieldToolTip"_s, u"TQCVViewToolTip"_s}) {
        if (!result.contains(key))
            result.insert(key, help);
    }
    return result;
}
