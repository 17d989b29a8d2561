#include "platform/tqkit-ui/TQKitWindowServices.h"

#include "platform/tqkit-ui/TQKitAlerts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPalette>
#include <QWidget>

using namespace Qt::StringLiterals;

void TQKitForEachWindow(const std::function<void(QWidget* window)>& visit)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || widget->windowType() == Qt::Popup || widget->windowType() == Qt::ToolTip)
            continue;
        visit(widget);
    }
}

bool TQKitWindowIsShown(QWidget* window) { return window && window->isVisible() && !window->isMinimized(); }

void TQKitWindowSetStayInFront(QWidget* window, bool inFront)
{
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == inFront)
        return;
    const bool shown = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, inFront);
    if (shown)
        window->show(); // changing the flags hides a window
}

void TQKitViewSetBackground(QWidget* view, int red, int green, int blue)
{
    if (!view)
        return;
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, QColor(std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255)));
    view->setPalette(palette);
    view->setAutoFillBackground(true);
}

int TQKitTextHeight(const QString& text, const QFont& font, int width)
{
    if (text.isEmpty() || width <= 0)
        return 0;
    return QFontMetrics(font).boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text).height();
}

void TQKitUpdateWindowSetup(QWidget* window)
{
    if (!window)
        return;
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_QuitOnClose, false);
}

void TQKitAskUpdateQuestion(QWidget* window, const QString& title, const QString& message,
                            std::function<void(int answer)> completion)
{
    TQKitRunAlert(window,
                  {{u"title"_s, title},
                   {u"message"_s, message},
                   {u"defaultButton"_s, u"Continue"_s},
                   {u"alternateButton"_s, u"Cancel"_s}},
                  [completion = std::move(completion)](int button, bool) {
                      if (completion)
                          completion(button == kTQKitAlertDefaultButton ? kTQKitUpdateAnswerContinue
                                                                        : kTQKitUpdateAnswerCancel);
                  });
}
