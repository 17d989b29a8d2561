#include "app/controls/TQControlPathPicker.h"

#include "lifecycle/TQAnalytics.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitWindowSheet.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "platform/tqkit/TQKitPaths.h"
#include "platform/tqkit/TQKitSettings.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QStyle>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr char kSection[] = "TQControlPathPicker";
constexpr char kSpecialItemKey[] = "SpecialItemFlags";
constexpr auto kMenuStepDelay = 200ms;  // lets the menu close first
constexpr auto kAlertDelay = 300ms;     // lets the previous sheet end first

std::string toCPath(const QString& path) { return path.toUtf8().toStdString(); }
QString fromCPath(const char* path) { return QString::fromUtf8(path); }

void postEvent(const QByteArray& name)
{
    if (!name.isEmpty())
        TQAnalyticsPostEvent(name.constData());
}

} // namespace

TQControlPathPicker::TQControlPathPicker(QWidget* parent) : QPushButton(parent), menu_(new QMenu(this))
{
    setObjectName(u"destinationFolder"_s);
    setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    setStyleSheet(u"text-align: left; padding: 3px 8px;"_s);
    setMenu(menu_);
    TQKitMenuSetValidator(menu_, this, [this](QAction* item) { return validateMenuItem(item); });
}

TQControlPathPicker::~TQControlPathPicker() = default;

void TQControlPathPicker::reload()
{
    list_.Load(kSection);
    list_.TidyAfterLoad();
    addDefaultPathIfListIsEmpty();
    list_.TidyBeforeMenu();
    rebuildPopupMenu();
}

void TQControlPathPicker::addDefaultPathIfListIsEmpty()
{
    std::string folder = toCPath(defaultPath_);
    if (folder.empty() && (flags_ & TQPathPickerFlagDefaultFolder))
        folder = TQKitDefaultFolderPath();
    if (list_.empty() && !folder.empty()) {
        if (TQKitPathType(folder.c_str()) != kTQKitPathFolder)
            TQKitDirectoryCreate(folder.c_str(), false);
        if (TQKitPathType(folder.c_str()) == kTQKitPathFolder)
            list_.Add(folder);
    }
    if (!folder.empty())
        defaultPath_ = QString::fromStdString(folder);
}

void TQControlPathPicker::rebuildPopupMenu()
{
    menu_->clear();
    auto addItem = [this](const QString& title, int tag, auto action) {
        QAction* item = menu_->addAction(title);
        TQKitMenuItemSetTag(item, tag);
        connect(item, &QAction::triggered, this, [this, item, action] { action(item); });
        return item;
    };
    if (flags_ & TQPathPickerFlagAsSource)
        addItem(u"As Source Folder"_s, kAsSourceFolderTag, [this](QAction*) { asSourceFolderSelected(); });
    for (size_t i = 0; i < list_.size(); ++i)
        addItem(fromCPath(list_.at(i)->path), static_cast<int>(i), [this](QAction* item) { pathSelected(item); });
    if ((flags_ & TQPathPickerFlagAsSource) || !list_.empty())
        TQKitMenuItemSetTag(menu_->addSeparator(), -1);
    addItem(menuBrowseItemText_.isNull() ? u"Browse..."_s : menuBrowseItemText_, -1,
            [this](QAction*) { browseAndSelectPathMenuItem(); });
    if (list_.size() >= 2) {
        TQKitMenuItemSetTag(menu_->addSeparator(), -1);
        addItem(u"Clear List..."_s, -1, [this](QAction*) { clearListMenuItem(); });
    }
    synchronizeMenuWithListSelection();
}

void TQControlPathPicker::synchronizeMenuWithListSelection()
{
    if (specialItemSelected() & kSpecialItemAsSource) {
        selectItemWithTag(kAsSourceFolderTag);
        return;
    }
    int index = list_.SelectedIndex();
    if (index < 0) {
        if (list_.empty())
            return;
        for (size_t i = 0; i < list_.size() && (index < 0 || index >= static_cast<int>(list_.size())); ++i) {
            list_.Select(static_cast<int>(i));
            index = list_.SelectedIndex();
        }
    }
    if (index >= 0 && index < static_cast<int>(list_.size()))
        selectItemWithTag(index);
}

void TQControlPathPicker::selectItemWithTag(int tag)
{
    QAction* item = TQKitMenuItemWithTag(menu_, tag);
    if (!item)
        return;
    selectedTag_ = tag;
    setText(item->text());
    setToolTip(item->text());
}

const TQKitFolderItem* TQControlPathPicker::pathItem()
{
    if (selectedTag_ >= 0 && selectedTag_ < static_cast<int>(list_.size()))
        return list_.at(selectedTag_);
    const std::string folder = toCPath(defaultPath_);
    if (folder.empty())
        return nullptr;
    if (TQKitPathType(folder.c_str()) != kTQKitPathFolder)
        TQKitDirectoryCreate(folder.c_str(), false);
    if (const TQKitFolderItem* item = list_.Find(folder))
        return item;
    list_.Add(folder);
    return list_.Find(folder);
}

QString TQControlPathPicker::path()
{
    const TQKitFolderItem* item = pathItem();
    return item ? fromCPath(item->path) : QString();
}

uint32_t TQControlPathPicker::specialItemSelected() const
{
    const std::string text = TQKitSettingReadText(kSection, kSpecialItemKey, "");
    return text.empty() ? 0 : static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

void TQControlPathPicker::setSpecialItemSelected(uint32_t flags)
{
    TQKitSettingWriteText(kSection, kSpecialItemKey, std::to_string(flags).c_str());
}

bool TQControlPathPicker::testPathAndShowMessage(Completion completion)
{
    return testPathAndShowMessage(std::move(completion), flags_ & TQPathPickerFlagTestWritable);
}

bool TQControlPathPicker::testPathAndShowMessage(Completion completion, bool testWritable)
{
    const QString folder = path();
    if (folder.isEmpty())
        return false;
    if (specialItemSelected() != 0) {
        if (completion)
            completion(folder);
        return true;
    }
    return testCPathAndShowMessage(folder, testWritable, std::move(completion));
}

bool TQControlPathPicker::testCPathAndShowMessage(const QString& folder, bool testWritable, Completion completion)
{
    if (!completion)
        completion = [](const QString&) {};
    if (folder.isEmpty()) {
        completion({});
        return false;
    }
    std::string tested = toCPath(folder);
    // File names on Linux differ by case, so only the very same path is the default folder.
    if (!defaultPath_.isEmpty() && defaultPath_ == folder && TQKitPathType(tested.c_str()) != kTQKitPathFolder &&
        TQKitDirectoryCreate(tested.c_str(), false)) {
        completion(folder);
        return true;
    }

    QString title;
    QString message;
    QString shownFolder;
    if (!TQKitFolderItem::Fits(tested)) {
        // The folder list holds paths whole or not at all.
        title = u"Folder cannot be used"_s;
        message = u"The path of the selected destination folder is too long, press Continue to select another folder."_s;
    } else {
        if (const TQKitFolderItem* item = list_.Find(tested)) {
            std::string resolved;
            if (item->ResolvePath(resolved))
                tested = resolved;
        }
        if (TQKitPathExists(tested.c_str())) {
            if (testWritable && !TQKitPathIsWritable(tested.c_str())) {
                title = u"Folder cannot be used"_s;
                message = u"Cannot write to selected destination folder, press Continue to select another folder."_s;
                shownFolder = QString::fromStdString(tested);
            }
        } else {
            title = u"Folder does not exist"_s;
            message = u"Selected destination folder does not exist, press Continue to select another folder."_s;
        }
    }
    if (!title.isEmpty()) {
        delayedCalls_.perform(kAlertDelay, [this, title, message, shownFolder, completion] {
            showFailureAlert(title, message, shownFolder, completion);
        });
        return false;
    }
    completion(QString::fromStdString(tested));
    return true;
}

void TQControlPathPicker::showFailureAlert(const QString& title, const QString& message, const QString& folder,
                                           Completion completion)
{
    QVariantMap description{{u"title"_s, title},
                            {u"message"_s, message},
                            {u"defaultButton"_s, u"Continue"_s},
                            {u"otherButton"_s, u"Cancel"_s},
                            {u"flags"_s, kTQKitAlertCaution}};
    if (!folder.isEmpty())
        description.insert(u"alternateButton"_s, u"Show in File Manager..."_s);
    TQKitRunAlert(window(), description, [this, folder, completion](int button, bool) {
        if (button == kTQKitAlertDefaultButton) {
            delayedCalls_.perform(kAlertDelay, [this, completion] { browseAndSelectPath(completion); });
            return;
        }
        if (button == kTQKitAlertAlternateButton)
            TQKitRevealInFileManager(folder);
        completion({});
    });
}

bool TQControlPathPicker::addAndSelectPath(const QString& folder, Completion completion)
{
    if (!completion)
        completion = [](const QString&) {};
    return testCPathAndShowMessage(folder, flags_ & TQPathPickerFlagTestWritable,
                                   [this, completion](const QString& tested) {
                                       if (tested.isEmpty()) {
                                           completion({});
                                           return;
                                       }
                                       if (!list_.AddRecent(toCPath(tested), kListCapacity))
                                           return;
                                       setSpecialItemSelected(0);
                                       list_.Save(kSection);
                                       rebuildPopupMenu();
                                       completion(tested);
                                   });
}

void TQControlPathPicker::browseAndSelectPath(Completion completion)
{
    if (!completion)
        completion = [](const QString&) {};
    postEvent(eventNameBrowseNew_);
    auto* panel = new QFileDialog(window());
    panel->setObjectName(u"destinationFolderChooser"_s);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    synchronizeMenuWithListSelection();
    if (const QString current = path(); !current.isEmpty())
        panel->setDirectory(current);
    if (!openPanelBrowseMessage_.isEmpty())
        panel->setWindowTitle(openPanelBrowseMessage_);
    if (!openPanelOpenButtonText_.isEmpty())
        panel->setLabelText(QFileDialog::Accept, openPanelOpenButtonText_);
    if (!TQKitWindowSheet::of(window())->attach(panel)) {
        delete panel;
        completion({});
        return;
    }
    connect(panel, &QFileDialog::finished, this, [this, panel, completion](int result) {
        const QStringList chosen = panel->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty())
            addAndSelectPath(chosen.first(), completion);
        else
            completion({});
    });
    panel->open();
}

bool TQControlPathPicker::validateMenuItem(QAction* item)
{
    if (TQKitWindowHasSheet(window()))
        return false;
    const int tag = TQKitMenuItemTag(item);
    if ((flags_ & TQPathPickerFlagDisableMissing) && tag >= 0 && tag < static_cast<int>(list_.size()) &&
        !TQKitPathExists(list_.at(tag)->path))
        return false;
    return true;
}

void TQControlPathPicker::pathSelected(QAction* item)
{
    postEvent(eventNameSelect_);
    const int tag = TQKitMenuItemTag(item);
    if (tag < 0 || tag >= static_cast<int>(list_.size()))
        return;
    if (!addAndSelectPath(fromCPath(list_.at(tag)->path), {}))
        synchronizeMenuWithListSelection();
}

void TQControlPathPicker::asSourceFolderSelected()
{
    postEvent(eventNameSelect_);
    setSpecialItemSelected(kSpecialItemAsSource);
    synchronizeMenuWithListSelection();
}

void TQControlPathPicker::browseAndSelectPathMenuItem()
{
    synchronizeMenuWithListSelection();
    delayedCalls_.perform(kMenuStepDelay, [this] { browseAndSelectPath(); });
}

void TQControlPathPicker::clearListMenuItem()
{
    synchronizeMenuWithListSelection();
    delayedCalls_.perform(kMenuStepDelay, [this] { clearListMenuItemImpl(); });
}

void TQControlPathPicker::clearListMenuItemImpl()
{
    TQKitAskQuestion(window(), u"Clear List"_s, u"Are you sure you want to clear the list of Destination Folders?"_s,
                     16, [this](int result, bool) {
                         if (result == kTQKitQuestionConfirmed)
                             clearListMenuItemImpl2();
                     });
}

void TQControlPathPicker::clearListMenuItemImpl2()
{
    list_.clear();
    list_.Save(kSection);
    reload();
}
