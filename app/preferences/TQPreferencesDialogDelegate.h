#pragma once

class QMenu;
class QString;
class QWidget;

// What the preferences dialog asks of the main window controller: the items and help of the
// context menu of its pages, and the commands chosen there. Main thread only.
class TQPreferencesDialogDelegate {
public:
    virtual ~TQPreferencesDialogDelegate() = default;

    // A command of the dialog's menu (a menu tag), acting on the dialog's window.
    virtual void preferencesDialogMenuCommandId(QWidget* dialogWindow, int tag) = 0;
    virtual void preferencesDialogCtxMenuBuildHeader(QMenu* menu) = 0;
    virtual void preferencesDialogCtxMenuBuildFooter(QMenu* menu) = 0;
    virtual void preferencesDialogCtxMenuWillOpenAppInfoKeyword(QMenu* menu, const QString& keyword) = 0;
    // Whether the dialog's pages may offer help of their own keyword.
    virtual bool preferencesDialogAppInfoKeywordAllowed() = 0;
};
