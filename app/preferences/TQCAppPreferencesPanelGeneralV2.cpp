#include "app/preferences/TQCAppPreferencesPanelGeneralV2.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>

using namespace Qt::StringLiterals;

QIcon TQCAppPreferencesPanelGeneralV2::toolbarItemImage() const { return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon); }

QWidget* TQCAppPreferencesPanelGeneralV2::loadView()
{
    auto* view = new QLabel(u"The General settings can't be changed in this version."_s);
    view->setObjectName(u"TQCAppPreferencesPanelGeneralV2"_s);
    view->setAlignment(Qt::AlignCenter);
    view->setMinimumSize(480, 240);
    return view;
}
