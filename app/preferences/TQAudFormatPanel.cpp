#include "app/preferences/TQAudFormatPanel.h"

#include <QLabel>

using namespace Qt::StringLiterals;

QLabel* TQAudFormatPanel::makeNoteLabel(QWidget* parent)
{
    noteLabel_ = new QLabel(parent);
    noteLabel_->setObjectName(u"noteLabel"_s);
    noteLabel_->setWordWrap(true);
    noteLabel_->setForegroundRole(QPalette::PlaceholderText);
    noteLabel_->hide();
    return noteLabel_;
}

void TQAudFormatPanel::setNote(const QString& text)
{
    if (!noteLabel_)
        return;
    noteLabel_->setText(text);
    noteLabel_->setVisible(!text.isEmpty());
}
