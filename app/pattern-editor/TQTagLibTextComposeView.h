#pragma once

// The pattern editor: a token field in which the person composes one tag pattern from key chips
// and literal text, a live sample of the name the pattern makes, and a case and a spacing pop-up
// whose choices travel with the pattern as mod flags. The host sets the pattern flags, the pattern
// and its texts (msgDict), in that order, and reads textPattern back. Main thread only.
//
// msgDict keys (each optional): "TQCVViewToolTip", "TQCVTokenFieldToolTip",
// "TQCVSampleFieldToolTip", "TQCVCaseToolTip", "TQCVSpacingToolTip" (help texts),
// "TQCVTokenFieldAccTitle" (accessible name of the field), "TQCVMenuToolTipExample" (label of the
// pop-up items' examples, "Example"), "TQCVPatternEmptyMsg" (sample of an empty pattern,
// "Pattern is empty.").

#include "platform/tqkit/TQKitTokenTextSource.h"

#include <QVariantMap>
#include <QWidget>

#include <cstdint>
#include <memory>

class QComboBox;
class QLabel;
class TQTagLibTextComposeViewTokenField;

class TQTagLibTextComposeView final : public QWidget {
    Q_OBJECT

public:
    // Tags of the subviews (their "tag" property).
    enum Tag {
        kTokenFieldTag = 12000,
        kSampleFieldTag = 12001,
        kCaseLabelTag = 12002,
        kCasePopupTag = 12003,
        kSpacingLabelTag = 12004,
        kSpacingPopupTag = 12005,
    };

    explicit TQTagLibTextComposeView(QWidget* parent = nullptr);
    ~TQTagLibTextComposeView() override;

    TQTagLibTextComposeViewTokenField* tokenField() const { return tokenField_; }
    QLabel* sampleField() const { return sampleField_; }
    QComboBox* casePopupButton() const { return casePopupButton_; }
    QComboBox* spacingPopupButton() const { return spacingPopupButton_; }

    // The tags the sample is rendered from (the invented sample values fill in what they lack). The
    // view does not keep them alive.
    void setSampleObject(std::weak_ptr<const TQKitTagValues> sampleObject);

    // The pattern with the modifiers of the pop-ups written into it.
    QString textPattern() const;
    // Shows `pattern`; the modifiers written in it choose the pop-ups (a pattern without any leaves
    // them as they are).
    void setTextPattern(const QString& pattern);
    QString textPatternNoModFlags() const;
    // Shows `pattern`, leaving the pop-ups as they are.
    void setTextPatternNoModFlags(const QString& pattern);

    uint32_t modFlags() const;
    void setModFlags(uint32_t modFlags);
    // The modifier of each pop-up item, by index; 0 for items without one.
    static uint32_t modFlagsSpacing(int index);
    static uint32_t modFlagsCase(int index);

    uint32_t patternFlags() const { return patternFlags_; }
    void setPatternFlags(uint32_t patternFlags) { patternFlags_ = patternFlags; }

    const QVariantMap& msgDict() const { return msgDict_; }
    // Stores the texts and applies them at once.
    void setMsgDict(const QVariantMap& msgDict);

    void updateSampleField();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setPattern(const QString& pattern, bool takeModFlags);
    // The examples of a pop-up's items, made as its menu opens.
    void popupWillOpen(QComboBox* popup, uint32_t (*modFlagsOf)(int));
    QString text(const char* key, const QString& fallback) const;

    TQTagLibTextComposeViewTokenField* tokenField_;
    QLabel* sampleField_;
    QLabel* caseLabel_;
    QComboBox* casePopupButton_;
    QLabel* spacingLabel_;
    QComboBox* spacingPopupButton_;
    QVariantMap msgDict_;
    uint32_t patternFlags_ = 0;
    std::weak_ptr<const TQKitTagValues> sampleObject_;
};
