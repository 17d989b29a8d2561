#include "app/main-window/TQCAppMainWindowEnterURLController.h"

#include "app/controls/TQNSTextFieldLink.h"
#include "app/preferences/TQPreferencesDialogEntryPoints.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitPasteboard.h"
#include "platform/tqkit-ui/TQKitPopoverMessage.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit/TQKitSettings.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr char kSection[] = "TQCSetting";
constexpr char kLastURLKey[] = "TQCAppEnterURLControllerURL";
const QString kFieldLabel = u"URL or Local File Path"_s;

} // namespace

void TQCAppMainWindowEnterURLController::runAlert(QWidget* window, std::function<void(const QString& url)> start)
{
    runAlert(window, std::make_shared<TQCAppMainWindowEnterURLController>(), std::move(start));
}

void TQCAppMainWindowEnterURLController::runAlert(QWidget* window,
                                                  std::shared_ptr<TQCAppMainWindowEnterURLController> controller,
                                                  std::function<void(const QString& url)> start)
{
    QPointer<QLineEdit> field = controller->urlTextField();
    // The field shows its text selected, so that Continue (or Return) converts what the person sees.
    const TQKitAlertInitBlock focusField = [field] {
        if (!field)
            return;
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
    };
    // Continue needs a URL: otherwise the sheet stays open, with a hint at the field.
    const TQKitAlertDefaultButtonAction checkURL = [controller] {
        if (!controller->URL().isEmpty())
            return true;
        TQKitShowPopoverMessage(controller->urlTextField(), u"Invalid URL"_s,
                                u"Please enter the valid URL or local path to continue."_s);
        return false;
    };
    const QVariantMap description{
        {u"title"_s, u"Enter URL"_s},
        {u"message"_s, urlTextFieldHint()},
        {u"defaultButton"_s, u"Continue"_s},
        {u"defaultButtonHint"_s, u"Press this button to start conversion of the URL"_s},
        {u"alternateButton"_s, u"Cancel"_s},
        {u"alternateButtonHint"_s, u"Press this button to close the window"_s},
        {u"accessoryView"_s, QVariant::fromValue<QObject*>(controller->view())},
        {u"initBlock"_s, QVariant::fromValue(focusField)},
        {u"defButtonAction"_s, QVariant::fromValue(checkURL)},
    };
    TQKitRunAlert(window, description, [controller, start](int button, bool) {
        controller->commitEditing();
        const QString url = controller->URL();
        if (button == kTQKitAlertDefaultButton && !url.isEmpty())
            start(url);
    });
}

TQCAppMainWindowEnterURLController::TQCAppMainWindowEnterURLController()
    : view_(new QWidget), urlTextField_(new QLineEdit(view_)),
      organizeDestFiles_(new TQNSTextFieldLink(u"Organize destination files..."_s, view_))
{
    view_->setObjectName(u"enterURLView"_s);
    urlTextField_->setObjectName(u"urlTextField"_s);
    // Wide enough for a web address at any font size; the texts above wrap to the same width.
    urlTextField_->setMinimumWidth(urlTextField_->fontMetrics().averageCharWidth() * 64);
    // The empty field names what it takes; the examples stand in the message above it.
    urlTextField_->setPlaceholderText(kFieldLabel);
    organizeDestFiles_->setObjectName(u"organizeDestFiles"_s);
    organizeDestFiles_->setHyperLinkEnabled(true);
    connect(organizeDestFiles_, &TQNSTextFieldLink::clicked, this, [this] { organizeDestinationFiles(); });
    auto* layout = new QVBoxLayout(view_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(urlTextField_);
    layout->addWidget(organizeDestFiles_);

    // A source on the clipboard wins over the last entry and is shown as it is.
    QString candidate;
    const QStringList pasted = TQKitPasteboardFiles(nullptr, 1);
    if (!pasted.isEmpty())
        candidate = pasted.first();
    else
        candidate = validURLFromBuffer(QString::fromStdString(TQKitSettingReadText(kSection, kLastURLKey, "")));
    if (!candidate.isEmpty())
        urlTextField_->setText(candidate);

    // Window activation and sheet changes anywhere may change whether the link can be used.
    qApp->installEventFilter(this);

    urlTextField_->setAccessibleName(kFieldLabel);
    urlTextField_->setAccessibleDescription(urlTextFieldHint());
    organizeDestFiles_->setToolTip(u"Click on this link to organize destination files."_s);
    enableControlsNotification();
}

TQCAppMainWindowEnterURLController::~TQCAppMainWindowEnterURLController()
{
    qApp->removeEventFilter(this);
    delete view_;
}

QString TQCAppMainWindowEnterURLController::URL() const { return validURLFromBuffer(urlTextField_->text()); }

QString TQCAppMainWindowEnterURLController::validURLFromBuffer(const QString& text)
{
    const QStringList found = TQKitParseURLList(text);
    return found.isEmpty() ? QString() : found.first();
}

QString TQCAppMainWindowEnterURLController::urlTextFieldHint()
{
    return u"Enter the URL or local path to import the audio from.\n\nExamples:\n"
           "https://www.example.com/music/live-session.html\n"
           "/home/telquor/Videos/folder-to-convert/"_s;
}

bool TQCAppMainWindowEnterURLController::commitEditing()
{
    const QString url = URL();
    if (!url.isEmpty())
        TQKitSettingWriteText(kSection, kLastURLKey, url.toUtf8().constData());
    return true;
}

void TQCAppMainWindowEnterURLController::enableControlsNotification()
{
    QWidget* preferences = TQPreferencesDialogGetWindow();
    organizeDestFiles_->setEnabled(!(preferences && TQKitWindowHasSheet(preferences)));
}

bool TQCAppMainWindowEnterURLController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() &&
        (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate ||
         event->type() == QEvent::Hide))
        enableControlsNotification();
    return false;
}

void TQCAppMainWindowEnterURLController::organizeDestinationFiles()
{
    TQPreferencesDialogShowPageWithLabelOnMainThread(u"General"_s, u"Destination"_s);
}
