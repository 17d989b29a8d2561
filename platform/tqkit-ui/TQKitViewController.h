#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// A controller of one view that windows show and take away again (a page of a dialog, the content
// of a popover). The view is built on first use. The controller owns it while no window shows it;
// a window that shows it makes it a child and hands it back by clearing its parent. Main thread
// only.
class TQKitViewController : public QObject {
    Q_OBJECT

public:
    explicit TQKitViewController(QObject* parent = nullptr);
    ~TQKitViewController() override;

    // The view, built on first use.
    QWidget* view();
    bool isViewLoaded() const { return !view_.isNull(); }

    // Saves what the user has edited in the view. False keeps the user where they are.
    virtual bool commitEditing() { return true; }

protected:
    // Builds the view (without a parent); called once, by view().
    virtual QWidget* loadView() = 0;

private:
    QPointer<QWidget> view_;
};
