#pragma once

#include "platform/tqkit-ui/TQKitDelayedCalls.h"
#include "platform/tqkit/TQKitFolderList.h"

#include <QPushButton>
#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QMenu;

enum TQPathPickerFlag : uint32_t {
    TQPathPickerFlagDefaultFolder = 0x01,       // an empty defaultPath comes from TQKitDefaultFolderPath
    TQPathPickerFlagSecondDefaultFolder = 0x02, // (reserved: there is no second default folder here)
    TQPathPickerFlagDisableMissing = 0x04,      // folders that do not exist are disabled in the menu
    TQPathPickerFlagTestWritable = 0x08,        // tests also check that the folder can be written
    TQPathPickerFlagAsSource = 0x10,            // the menu offers "As Source Folder"
};

// The pop-up button that chooses where converted files go: the remembered folders (most recent
// first), optionally "As Source Folder", a browse item and "Clear List...". Every folder is tested
// before it is used; a failed test shows an alert that offers to choose another one. The list and
// the choice persist in the text settings section "TQControlPathPicker". Main thread only.
class TQControlPathPicker final : public QPushButton {
    Q_OBJECT

public:
    // Receives the tested folder's path, or an empty string when nothing was chosen or the user
    // gave up.
    using Completion = std::function<void(const QString& path)>;

    static constexpr int kAsSourceFolderTag = 0x4000;
    static constexpr uint32_t kSpecialItemAsSource = 16;
    static constexpr size_t kListCapacity = 15;

    explicit TQControlPathPicker(QWidget* parent = nullptr);
    ~TQControlPathPicker() override;

    uint32_t flags() const { return flags_; }
    void setFlags(uint32_t flags) { flags_ = flags; }
    QString defaultPath() const { return defaultPath_; }
    void setDefaultPath(const QString& path) { defaultPath_ = path; }
    void setOpenPanelBrowseMessage(const QString& text) { openPanelBrowseMessage_ = text; }
    void setOpenPanelOpenButtonText(const QString& text) { openPanelOpenButtonText_ = text; }
    void setMenuBrowseItemText(const QString& text) { menuBrowseItemText_ = text; }
    void setEventNameBrowseNew(const QByteArray& name) { eventNameBrowseNew_ = name; }
    void setEventNameSelect(const QByteArray& name) { eventNameSelect_ = name; }

    // Loads the list and rebuilds the menu; once after configuration, and after Clear List.
    void reload();

    // The chosen folder's entry, else the default folder's (created when missing), else null.
    const TQKitFolderItem* pathItem();
    QString path();
    // "As Source Folder" (16) or a folder (0), shared by every picker of the process.
    uint32_t specialItemSelected() const;
    void setSpecialItemSelected(uint32_t flags);

    // Tests the chosen destination; the completion gets its path when it passes. False when it
    // failed (the alert follows after 0.3 s) or there is none.
    bool testPathAndShowMessage(Completion completion);
    bool testPathAndShowMessage(Completion completion, bool testWritable);
    // Tests `folder` and makes it the chosen destination.
    bool addAndSelectPath(const QString& folder, Completion completion);
    bool testCPathAndShowMessage(const QString& folder, bool testWritable, Completion completion);
    // The folder chooser, as a sheet of the picker's window.
    void browseAndSelectPath(Completion completion = {});

    QMenu* popupMenu() const { return menu_; }
    bool validateMenuItem(QAction* item);

private:
    void addDefaultPathIfListIsEmpty();
    void rebuildPopupMenu();
    void synchronizeMenuWithListSelection();
    void selectItemWithTag(int tag);
    void showFailureAlert(const QString& title, const QString& message, const QString& folder, Completion completion);

    void pathSelected(QAction* item);
    void asSourceFolderSelected();
    void browseAndSelectPathMenuItem();
    void clearListMenuItem();
    void clearListMenuItemImpl();
    void clearListMenuItemImpl2();

    TQKitFolderList list_;
    uint32_t flags_ = 0;
    QString defaultPath_;
    QString openPanelBrowseMessage_;
    QString openPanelOpenButtonText_;
    QString menuBrowseItemText_;
    QByteArray eventNameBrowseNew_;
    QByteArray eventNameSelect_;
    QMenu* menu_;
    int selectedTag_ = -1; // the menu item shown as chosen; -1: none
    TQKitDelayedCalls delayedCalls_; // last: pending steps go before the state they use
};
