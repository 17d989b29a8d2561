#include "app/pattern-editor/TQTagLibTextComposeView.h"

#include "app/pattern-editor/TQTagLibTextComposeViewToken.h"
#include "app/pattern-editor/TQTagLibTextComposeViewTokenField.h"
#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit/TQKitPatternModifiers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

#include <array>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Pop-up items in order; an empty title is a separator. The index of an item is what the mod
// flags tables below count.
constexpr std::array<const char*, 5> kSpacingTitles = {"As Typed", "", "Underscores for Spaces",
                                                       "Spaces for Underscores", "No Spaces"};
constexpr std::array<uint32_t, 5> kSpacingFlags = {0, 0, kTQKitModUnderscores, kTQKitModSpaces, kTQKitModNoSpaces};
constexpr std::array<const char*, 8> kCaseTitles = {"As Typed", "", "lower case", "UPPER CASE", "Title Case",
                                                    "", "Sentence case", "Capitalize Each Word"};
constexpr std::array<uint32_t, 8> kCaseFlags = {0, 0, kTQKitModLowerCase, kTQKitModUpperCase, kTQKitModTitleCase,
                                                0, kTQKitModSentenceCase, kTQKitModCapitalizeWords};

// A pop-up that tells its owner when its list is about to open.
class ModifierPopUp final : public QComboBox {
public:
    template <size_t N>
    ModifierPopUp(QWidget* parent, const std::array<const char*, N>& titles) : QComboBox(parent)
    {
        for (const char* title : titles) {
            if (*title)
                addItem(QString::fromUtf8(title));
            else
                insertSeparator(count());
        }
    }
    std::function<void()> willOpen;

    void showPopup() override
    {
        if (willOpen)
            willOpen();
        QComboBox::showPopup();
    }
};

template <size_t N>
uint32_t flagAt(const std::array<uint32_t, N>& flags, int index)
{
    return index >= 0 && index < static_cast<int>(N) ? flags[index] : 0;
}

QLabel* makeLabel(const QString& text, QWidget* parent, int tag)
{
    auto* label = new QLabel(text, parent);
    label->setProperty("tag", tag);
    return label;
}

} // namespace

TQTagLibTextComposeView::TQTagLibTextComposeView(QWidget* parent)
    : QWidget(parent),
      tokenField_(new TQTagLibTextComposeViewTokenField(this)),
      sampleField_(makeLabel({}, this, kSampleFieldTag)),
      caseLabel_(makeLabel(u"Case:"_s, this, kCaseLabelTag)),
      casePopupButton_(new ModifierPopUp(this, kCaseTitles)),
      spacingLabel_(makeLabel(u"Spacing:"_s, this, kSpacingLabelTag)),
      spacingPopupButton_(new ModifierPopUp(this, kSpacingTitles))
{
    setObjectName(u"TQTagLibTextComposeView"_s);
    tokenField_->setProperty("tag", kTokenFieldTag);
    casePopupButton_->setProperty("tag", kCasePopupTag);
    spacingPopupButton_->setProperty("tag", kSpacingPopupTag);
    sampleField_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    sampleField_->setMinimumWidth(1);
    caseLabel_->setBuddy(casePopupButton_);
    spacingLabel_->setBuddy(spacingPopupButton_);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 4, 0, 10);
    layout->setVerticalSpacing(8);
    layout->addWidget(tokenField_, 0, 0, 1, 5);
    layout->addWidget(sampleField_, 1, 0, 1, 5);
    layout->addWidget(caseLabel_, 2, 0);
    layout->addWidget(casePopupButton_, 2, 1);
    layout->setColumnMinimumWidth(2, 16);
    layout->setColumnStretch(2, 1);
    layout->addWidget(spacingLabel_, 2, 3);
    layout->addWidget(spacingPopupButton_, 2, 4);
    setMinimumWidth(440);

    connect(tokenField_, &TQTagLibTextComposeViewTokenField::activated, this, &TQTagLibTextComposeView::updateSampleField);
    connect(tokenField_, &TQTagLibTextComposeViewTokenField::patternDidChange, this,
            &TQTagLibTextComposeView::updateSampleField);
    for (QComboBox* popup : {casePopupButton_, spacingPopupButton_})
        connect(popup, &QComboBox::currentIndexChanged, this, &TQTagLibTextComposeView::updateSampleField);
    static_cast<ModifierPopUp*>(casePopupButton_)->willOpen = [this] { popupWillOpen(casePopupButton_, &modFlagsCase); };
    static_cast<ModifierPopUp*>(spacingPopupButton_)->willOpen = [this] {
        popupWillOpen(spacingPopupButton_, &modFlagsSpacing);
    };
    updateSampleField();

    TQKitSetAccessibilityLabel(casePopupButton_, caseLabel_->text());
    TQKitSetAccessibilityHelp(casePopupButton_, u"Set up the case"_s);
    TQKitSetAccessibilityLabel(spacingPopupButton_, spacingLabel_->text());
    TQKitSetAccessibilityHelp(spacingPopupButton_, u"Set up the spacing"_s);
    TQKitSetAccessibilityLabel(sampleField_, u"Example"_s);
    TQKitSetAccessibilityHelp(sampleField_, u"Example"_s);
    TQKitSetAccessibilityHelp(caseLabel_, casePopupButton_->toolTip());
    TQKitSetAccessibilityHelp(spacingLabel_, spacingPopupButton_->toolTip());
}

TQTagLibTextComposeView::~TQTagLibTextComposeView() = default;

void TQTagLibTextComposeView::setSampleObject(std::weak_ptr<const TQKitTagValues> sampleObject)
{
    sampleObject_ = std::move(sampleObject);
    updateSampleField();
}

QString TQTagLibTextComposeView::textPattern() const
{
    return TQTagLibTextComposeViewToken::tokenArrayPattern(tokenField_->objectValue(), patternFlags_, modFlags());
}

QString TQTagLibTextComposeView::textPatternNoModFlags() const
{
    return TQTagLibTextComposeViewToken::tokenArrayPattern(tokenField_->objectValue(), patternFlags_, 0);
}

void TQTagLibTextComposeView::setTextPattern(const QString& pattern) { setPattern(pattern, true); }

void TQTagLibTextComposeView::setTextPatternNoModFlags(const QString& pattern) { setPattern(pattern, false); }

void TQTagLibTextComposeView::setPattern(const QString& pattern, bool takeModFlags)
{
    uint32_t written = 0;
    tokenField_->setObjectValue(TQTagLibTextComposeViewToken::tokenArrayWithString(pattern, patternFlags_, &written));
    if (takeModFlags)
        setModFlags(written);
    updateSampleField();
}

uint32_t TQTagLibTextComposeView::modFlags() const
{
    return modFlagsSpacing(spacingPopupButton_->currentIndex()) | modFlagsCase(casePopupButton_->currentIndex());
}

void TQTagLibTextComposeView::setModFlags(uint32_t modFlags)
{
    for (const int index : {2, 3, 4}) {
        if (modFlags & kSpacingFlags[index]) {
            spacingPopupButton_->setCurrentIndex(index);
            break;
        }
    }
    for (const int index : {2, 3, 4, 6, 7}) {
        if (modFlags & kCaseFlags[index]) {
            casePopupButton_->setCurrentIndex(index);
            break;
        }
    }
}

uint32_t TQTagLibTextComposeView::modFlagsSpacing(int index) { return flagAt(kSpacingFlags, index); }

uint32_t TQTagLibTextComposeView::modFlagsCase(int index) { return flagAt(kCaseFlags, index); }

QString TQTagLibTextComposeView::text(const char* key, const QString& fallback) const
{
    const QVariant value = msgDict_.value(QString::fromLatin1(key));
    return value.typeId() == QMetaType::QString && !value.toString().isEmpty() ? value.toString() : fallback;
}

void TQTagLibTextComposeView::setMsgDict(const QVariantMap& msgDict)
{
    msgDict_ = msgDict;
    const auto help = [this](const char* key, std::initializer_list<QWidget*> widgets) {
        const QString value = text(key, {});
        if (value.isEmpty())
            return;
        for (QWidget* widget : widgets)
            TQKitSetAccessibilityHelp(widget, value);
    };
    help("TQCVViewToolTip", {this});
    help("TQCVTokenFieldToolTip", {tokenField_});
    help("TQCVSampleFieldToolTip", {sampleField_});
    help("TQCVCaseToolTip", {casePopupButton_, caseLabel_});
    help("TQCVSpacingToolTip", {spacingPopupButton_, spacingLabel_});
    if (const QVariant title = msgDict_.value(u"TQCVTokenFieldAccTitle"_s); title.isValid())
        TQKitSetAccessibilityLabel(tokenField_, title.toString());
    updateSampleField();
}

void TQTagLibTextComposeView::updateSampleField()
{
    const TQTokenObjectArray tokens = tokenField_->objectValue();
    if (tokens.isEmpty()) {
        sampleField_->setText(text("TQCVPatternEmptyMsg", u"Pattern is empty."_s));
        return;
    }
    const std::shared_ptr<const TQKitTagValues> sample = sampleObject_.lock();
    sampleField_->setText(TQTagLibTextComposeViewToken::textSample(tokens, patternFlags_, modFlags(), sample.get()));
}

void TQTagLibTextComposeView::popupWillOpen(QComboBox* popup, uint32_t (*modFlagsOf)(int))
{
    const QString label = text("TQCVMenuToolTipExample", u"Example"_s);
    const TQTokenObjectArray tokens = tokenField_->objectValue();
    for (int index = 0; index < popup->count(); ++index) {
        const uint32_t flags = modFlagsOf(index);
        if (index != 0 && flags == 0)
            continue;
        const QString sample = TQTagLibTextComposeViewToken::textSample(tokens, patternFlags_, flags);
        if (sample.isEmpty())
            continue;
        const QString help = u"%1:\n\n%2"_s.arg(label, sample);
        popup->setItemData(index, help, Qt::ToolTipRole);
        popup->setItemData(index, help, Qt::AccessibleDescriptionRole);
    }
}

void TQTagLibTextComposeView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The field takes the keyboard as soon as the box that shows the view opens.
    QTimer::singleShot(10, tokenField_, &TQTagLibTextComposeViewTokenField::startEditing);
}
