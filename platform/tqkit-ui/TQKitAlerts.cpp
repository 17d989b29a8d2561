#include "platform/tqkit-ui/TQKitAlerts.h"

#include "platform/tqkit-ui/TQKitAlertResponder.h"
#include "platform/tqkit-ui/TQKitMainThread.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QStringList>

#include <future>
#include <memory>

using namespace Qt::StringLiterals;

// Every box a user is shown, for whoever watches the application from outside; off unless asked
// for (QT_LOGGING_RULES="sonvale.alerts.info=true").
Q_LOGGING_CATEGORY(sonvaleAlerts, "sonvale.alerts", QtWarningMsg)

namespace {

QString textOf(const QVariantMap& description, const QString& key)
{
    const QVariant value = description.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void logShown(const TQKitAlertRequest& request)
{
    if (!sonvaleAlerts().isInfoEnabled())
        return;
    QStringList buttons;
    for (const TQKitAlertRequest::Button& button : request.buttons)
        buttons.append(u"["_s + button.title + u"]"_s);
    qCInfo(sonvaleAlerts, "Sonvale: alert: %s\n%s\n%s", qUtf8Printable(request.title),
           qUtf8Printable(request.message), qUtf8Printable(buttons.join(u' ')));
}

TQKitAlertAnswer ask(TQKitAlertRequest request, const TQKitAlertCompletion& completion)
{
    logShown(request);
    if (!TQKitIsMainThread()) {
        auto answer = std::make_shared<std::promise<TQKitAlertAnswer>>();
        std::future<TQKitAlertAnswer> future = answer->get_future();
        TQKitPerformOnMainThread(QCoreApplication::instance(), [request, completion, answer] {
            TQKitAlertResponder::current().present(request, [completion, answer](const TQKitAlertAnswer& given) {
                if (completion)
                    completion(given.button, given.suppressed);
                answer->set_value(given);
            });
        });
        try {
            return future.get();
        } catch (const std::future_error&) {
            // The application went away before the box could be shown.
            return TQKitAlertAnswer{request.escapeCode(), false};
        }
    }
    if (completion) {
        TQKitAlertResponder::current().present(request, [completion](const TQKitAlertAnswer& given) {
            completion(given.button, given.suppressed);
        });
        return TQKitAlertAnswer{kTQKitAlertPending, false};
    }
    request.modal = true;
    TQKitAlertAnswer result{request.escapeCode(), false};
    TQKitAlertResponder::current().present(request, [&result](const TQKitAlertAnswer& given) { result = given; });
    return result;
}

TQKitAlertRequest boxRequest(TQKitAlertRequest::Kind kind, QWidget* parent, const QString& title,
                             const QString& message, int flags)
{
    TQKitAlertRequest request;
    request.kind = kind;
    request.parent = parent;
    request.title = title;
    request.message = message;
    request.flags = flags;
    request.buttons = {{u"OK"_s, kTQKitAlertDefaultButton, {}}};
    return request;
}

void showBox(const TQKitAlertRequest& request, const std::function<void()>& completion)
{
    ask(request, completion ? TQKitAlertCompletion([completion](int, bool) { completion(); })
                            : TQKitAlertCompletion());
}

} // namespace

int TQKitRunAlert(QWidget* parent, const QVariantMap& description, TQKitAlertCompletion completion)
{
    TQKitAlertRequest request;
    request.parent = parent;
    request.title = textOf(description, u"title"_s);
    request.message = textOf(description, u"message"_s);
    request.flags = description.value(u"flags"_s).toInt();
    request.showsSuppressionBox = (request.flags & kTQKitAlertSuppressionBox) != 0;
    request.accessoryView = qobject_cast<QWidget*>(description.value(u"accessoryView"_s).value<QObject*>());
    request.shown = description.value(u"initBlock"_s).value<TQKitAlertInitBlock>();
    request.acceptsDefaultButton = description.value(u"defButtonAction"_s).value<TQKitAlertDefaultButtonAction>();

    const struct {
        QString key;
        int code;
        QString hintKey;
    } buttons[] = {{u"defaultButton"_s, kTQKitAlertDefaultButton, u"defaultButtonHint"_s},
                   {u"alternateButton"_s, kTQKitAlertAlternateButton, u"alternateButtonHint"_s},
                   {u"otherButton"_s, kTQKitAlertOtherButton, QString()}};
    for (const auto& button : buttons) {
        const QString title = textOf(description, button.key);
        if (!title.isEmpty())
            request.buttons.append({title, button.code, textOf(description, button.hintKey)});
    }
    if (request.buttons.isEmpty())
        request.buttons.append({u"OK"_s, kTQKitAlertDefaultButton, {}});

    return ask(request, completion).button;
}

int TQKitAskQuestion(QWidget* parent, const QString& title, const QString& message, int style,
                     TQKitAlertCompletion completion)
{
    TQKitAlertRequest request;
    request.kind = TQKitAlertRequest::Kind::Question;
    request.parent = parent;
    request.title = title;
    request.message = message;
    request.flags = style;
    request.showsSuppressionBox = (style & kTQKitAlertSuppressionBox) != 0;
    request.buttons = {{u"Yes"_s, kTQKitQuestionConfirmed, {}}, {u"No"_s, kTQKitQuestionDeclined, {}}};
    return ask(request, completion).button;
}

void TQKitShowMessageBox(QWidget* parent, const QString& title, const QString& message, int flags,
                         std::function<void()> completion)
{
    showBox(boxRequest(TQKitAlertRequest::Kind::Message, parent, title, message, flags), completion);
}

void TQKitShowNoticeBox(QWidget* parent, const QString& title, const QString& message, int style,
                        std::function<void()> completion)
{
    showBox(boxRequest(TQKitAlertRequest::Kind::Notice, parent, title, message, style), completion);
}
