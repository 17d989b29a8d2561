#include "app/preferences/TQAudFormatPanelPopUp.h"

#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitPopUpButton.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>

#include <algorithm>

using namespace Qt::StringLiterals;

TQAudFormatPanelPopUp::TQAudFormatPanelPopUp(const QString& title, const QString& name, QWidget* parent)
    : label_(new QLabel(title + u':', parent)), button_(new TQKitPopUpButton(parent))
{
    button_->setObjectName(name);
    label_->setObjectName(name + u"Label"_s);
    label_->setBuddy(button_);
}

void TQAudFormatPanelPopUp::addToGrid(QGridLayout* grid, int row) const
{
    grid->addWidget(label_, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(button_, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
}

void TQAudFormatPanelPopUp::setItems(const QList<int>& values, const QStringList& titles)
{
    values_ = values;
    titles_ = titles;
    QMenu* menu = button_->menu();
    menu->clear();
    for (const QString& title : titles) {
        if (title.isEmpty())
            menu->addSeparator();
        else
            menu->addAction(title);
    }
}

int TQAudFormatPanelPopUp::indexForValue(int value, int fallback) const
{
    if (values_.isEmpty() || titles_.isEmpty())
        return -1;
    qsizetype index = values_.indexOf(value);
    if (index < 0)
        index = values_.indexOf(fallback);
    if (index < 0)
        index = 0;
    return static_cast<int>(std::min(index, titles_.size() - 1));
}

void TQAudFormatPanelPopUp::showValue(int value, int fallback) { button_->selectItemAtIndex(indexForValue(value, fallback)); }

int TQAudFormatPanelPopUp::value(int none) const
{
    const int index = button_->indexOfSelectedItem();
    if (index < 0 || index >= values_.size() || index >= titles_.size() || titles_[index].isEmpty())
        return none;
    return values_[index];
}

void TQAudFormatPanelPopUp::setAccessibility(const QString& label, const QString& help) const
{
    TQKitSetAccessibilityLabel(button_, label);
    setHelp(help);
}

void TQAudFormatPanelPopUp::setHelp(const QString& help) const
{
    TQKitSetAccessibilityHelp(button_, help);
    TQKitSetAccessibilityHelp(label_, help);
}

void TQAudFormatPanelPopUp::setVisible(bool visible) const
{
    label_->setVisible(visible);
    button_->setVisible(visible);
}

void TQAudFormatPanelPopUp::setEnabled(bool enabled) const
{
    label_->setEnabled(enabled);
    button_->setEnabled(enabled);
}
