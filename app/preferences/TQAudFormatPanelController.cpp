#include "app/preferences/TQAudFormatPanelController.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>

using namespace Qt::StringLiterals;

QIcon TQAudFormatPanelController::toolbarItemImage() const { return QApplication::style()->standardIcon(QStyle::SP_FileIcon); }

QWidget* TQAudFormatPanelController::loadView()
{
    auto* view = new QLabel(u"The Format settings can't be changed in this version."_s);
    view->setObjectName(u"TQAudFormatPanelController"_s);
    view->setAlignment(Qt::AlignCenter);
    view->setMinimumSize(480, 240);
    return view;
}
