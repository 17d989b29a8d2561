#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QLineEdit;
class QWidget;
class TQNSTextFieldLink;

// The accessory view of the Enter URL alert: a field for one web URL or local path, prefilled from
// the clipboard or the last entry, and a link to the destination settings that is enabled only
// while the preferences dialog shows no sheet. Main thread only.
class TQCAppMainWindowEnterURLController final : public QObject {
    Q_OBJECT

public:
    // Asks for one URL or path over `window` ("Enter URL"); Continue without a usable URL keeps the
    // sheet open, with the field and its text, and shows the "Invalid URL" hint. `start` receives
    // the URL confirmed with Continue.
    static void runAlert(QWidget* window, std::function<void(const QString& url)> start);

    TQCAppMainWindowEnterURLController();
    ~TQCAppMainWindowEnterURLController() override;

    // The view for the alert; the controller owns it.
    QWidget* view() const { return view_; }
    QLineEdit* urlTextField() const { return urlTextField_; }
    TQNSTextFieldLink* organizeDestFiles() const { return organizeDestFiles_; }

    // The first URL or path in the field; empty when there is none.
    QString URL() const;
    static QString validURLFromBuffer(const QString& text);
    static QString urlTextFieldHint();

    // Remembers a non-empty URL as the last entry. Always true.
    bool commitEditing();
    void enableControlsNotification();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void runAlert(QWidget* window, std::shared_ptr<TQCAppMainWindowEnterURLController> controller,
                         std::function<void(const QString& url)> start);
    void organizeDestinationFiles();

    QPointer<QWidget> view_;
    QLineEdit* urlTextField_;
    TQNSTextFieldLink* organizeDestFiles_;
};
