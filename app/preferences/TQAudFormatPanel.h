#pragma once

#include "platform/tqkit-ui/TQKitViewController.h"

#include <QString>

class QLabel;
class QWidget;

// One options panel of the Format page: it edits the stored encoder options of one output format.
// The Format page creates it, shows and hides its view, and sends it commitEditing (which saves
// the controls into the stored record), resetPreferences and resetPreferencesTitle. The panel keeps
// no copy of the record: every control action saves at once. Main thread only.
class TQAudFormatPanel : public TQKitViewController {
    Q_OBJECT

public:
    using TQKitViewController::TQKitViewController;

    // Shows the stored record in the controls.
    virtual void load() = 0;
    // Enables, shows and hides the controls as the chosen values allow.
    virtual void enableControls() = 0;
    // Returns the stored record to its defaults and shows it.
    virtual void resetPreferences() = 0;
    // The name of what resetPreferences resets, for the dialog's reset command.
    virtual QString resetPreferencesTitle() const = 0;

    // The line under the controls that says what the encoder will make of a choice it can't
    // follow to the letter; hidden while there is nothing to say.
    QLabel* noteLabel() const { return noteLabel_; }

protected:
    // Creates the note line as a child of the panel's view.
    QLabel* makeNoteLabel(QWidget* parent);
    void setNote(const QString& text);

private:
    QLabel* noteLabel_ = nullptr;
};
