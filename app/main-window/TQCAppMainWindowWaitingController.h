#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

// The small sheet over the main window while quitting waits for conversion processes to end: a
// text, a busy indicator and, once the wait has gone on for a while, a "Quit Now" way out. Main
// thread only.
class TQCAppMainWindowWaitingController final : public QObject {
    Q_OBJECT

public:
    TQCAppMainWindowWaitingController();
    ~TQCAppMainWindowWaitingController() override;

    // Shows the sheet over `window` and starts the indicator.
    void showModal(QWidget* window);
    // Ends the sheet when it is attached and closes it.
    void close();

    bool isSheetActive() const { return sheetActive_; }
    QLabel* topLabel() const { return topLabel_; }
    QProgressBar* progressIndicator() const { return progressIndicator_; }
    QPushButton* quitNowButton() const { return quitNowButton_; }
    // Shows the "Quit Now" button, which runs `quitNow` when pressed.
    void offerQuitNow(std::function<void()> quitNow);

private:
    QPointer<QDialog> sheet_;
    QLabel* topLabel_;
    QProgressBar* progressIndicator_;
    QPushButton* quitNowButton_;
    bool sheetActive_ = false;
};
