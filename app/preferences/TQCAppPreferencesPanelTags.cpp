#include "app/preferences/TQCAppPreferencesPanelTags.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>

using namespace Qt::StringLiterals;

QIcon TQCAppPreferencesPanelTags::toolbarItemImage() const { return QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView); }

QWidget* TQCAppPreferencesPanelTags::loadView()
{
    auto* view = new QLabel(u"The Tags settings can't be changed in this version."_s);
    view->setObjectName(u"TQCAppPreferencesPanelTags"_s);
    view->setAlignment(Qt::AlignCenter);
    view->setMinimumSize(480, 240);
    return view;
}
