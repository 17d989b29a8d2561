#pragma once

#include "platform/tqkit-ui/TQKitViewController.h"

#include <QIcon>
#include <QString>

// One page of the preferences dialog. A page is one class deriving from this one; the dialog's
// builder (TQPreferencesDialogCreate) lists the pages in toolbar order. Only the first three
// answers are required; every other one has the answer of a page that doesn't use it.
//
// The dialog sends commitEditing() before it leaves a page or closes: the page saves there, and
// answers false to keep the user on it. Pages keep no copy of the settings they show. Main thread
// only.
class TQPreferencesViewController : public TQKitViewController {
    Q_OBJECT

public:
    using TQKitViewController::TQKitViewController;

    // Unique among the pages: the toolbar item's identifier and part of the stored window state.
    // The pages of this application use their class name.
    virtual QString identifier() const = 0;
    virtual QIcon toolbarItemImage() const = 0;
    // The toolbar label, the title fallback and the name under which callers open the page.
    virtual QString toolbarItemLabel() const = 0;

    // The toolbar image while the page is shown; a null icon keeps the normal one.
    virtual QIcon toolbarItemHighlightedImage() const { return {}; }
    // The accessibility help of the page's toolbar item; empty: none.
    virtual QString toolbarItemTooltip() const { return {}; }
    // The window title while the page is shown; empty: the toolbar label.
    virtual QString titleLabel() const { return {}; }

    virtual void viewWillAppear() {}
    virtual void viewDidDisappear() {}
    // The control focused first; null: the page's view.
    virtual QWidget* initialKeyView() { return nullptr; }
    // The window may grow wider or taller than the page's natural size.
    virtual bool hasResizableWidth() const { return false; }
    virtual bool hasResizableHeight() const { return false; }

    // Shows the part of the page that `name` names; false when the name is not known.
    virtual bool selectSubPage(const QString& name)
    {
        Q_UNUSED(name);
        return false;
    }

    // The keyword of the page's online help; empty: none.
    virtual QString appInfoNetworkMenuKeyword() const { return {}; }
    // A click on the help button while the page has no help keyword; true when the page handled it.
    virtual bool handleHelpCommand(QWidget* helpButton)
    {
        Q_UNUSED(helpButton);
        return false;
    }

    // Whether the page can return its settings to their defaults (the reset commands).
    virtual bool hasResetPreferences() const { return false; }
    // Resets the page's stored settings and reloads its controls.
    virtual void resetPreferences() {}
    // The name of what is reset, in the reset texts; empty: the page's title.
    virtual QString resetPreferencesTitle() const { return {}; }
};
