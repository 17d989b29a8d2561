#include "platform/tqkit-ui/TQKitViewController.h"

#include <QWidget>

TQKitViewController::TQKitViewController(QObject* parent) : QObject(parent) {}

TQKitViewController::~TQKitViewController() { delete view_.data(); }

QWidget* TQKitViewController::view()
{
    if (!view_)
        view_ = loadView();
    return view_;
}
