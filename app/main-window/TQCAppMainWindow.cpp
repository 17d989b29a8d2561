#include "app/main-window/TQCAppMainWindow.h"

#include "app/controls/TQControlPathPicker.h"
#include "app/main-window/TQCAppMainWindowController.h"
#include "app/main-window/TQCAppMainWindowPanelDstDir.h"
#include "app/main-window/TQCAppMainWindowPanelSrcFiles.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Geometry of the full window's content (at least 655 x 148, more where the fonts need it): the
// source area above the destination row.
const QString kApplicationName = u"Sonvale"_s;
constexpr int kFullWidth = 655;
constexpr int kFullHeight = 148;
constexpr int kCollapsedWidth = 250;
constexpr int kCollapsedHeight = 39;
constexpr int kSourceAreaHeight = 104;
constexpr int kMargin = 16;
constexpr int kGap = 10;
constexpr int kButtonHeight = 28;
constexpr int kToggleSize = 24;
constexpr int kTopRowY = 14;
constexpr int kDestinationRowY = 8;
constexpr int kNarrowestPicker = 200;

QPushButton* makeButton(QWidget* parent, const QString& objectName, const QString& title)
{
    auto* button = new QPushButton(title, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// The collapse toggle's chevron, drawn in the button text colour so that it shows in any palette.
QIcon chevronIcon(const QColor& color, bool pointsUp, qreal devicePixelRatio)
{
    constexpr int kSide = 16;
    QPixmap pixmap(QSize(kSide, kSide) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal tip = pointsUp ? 5.0 : 11.0;
    const qreal base = pointsUp ? 11.0 : 5.0;
    painter.drawPolyline(QPolygonF{QPointF(3.0, base), QPointF(8.0, tip), QPointF(13.0, base)});
    return QIcon(pixmap);
}

} // namespace

TQCAppMainWindow::TQCAppMainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(u"mainWindow"_s);
    setTitle(u"CFBundleName"_s);
    buildContent();
    buildMenus();
    layoutContent();
    resize(fullContentSize());
}

TQCAppMainWindow::~TQCAppMainWindow() = default;

void TQCAppMainWindow::setController(TQCAppMainWindowController* controller) { controller_ = controller; }

void TQCAppMainWindow::setTitle(const QString& title)
{
    QString text = title;
    setWindowTitle(text.replace(u"CFBundleName"_s, kApplicationName));
}

void TQCAppMainWindow::buildContent()
{
    auto* mainView = new QWidget(this);
    mainView->setObjectName(u"mainView"_s);
    setCentralWidget(mainView);

    srcFilesPanel_ = new TQCAppMainWindowPanelSrcFiles(mainView);
    srcFilesPanel_->setObjectName(u"srcFilesPanel"_s);
    dstDirPanel_ = new TQCAppMainWindowPanelDstDir(mainView);
    dstDirPanel_->setObjectName(u"dstDirPanel"_s);

    titleDropFiles_ = new QLabel(u"Drop audio or video files, folders or links here"_s, srcFilesPanel_);
    titleDropFiles_->setObjectName(u"titleDropFiles"_s);
    titleDropFiles_->setAlignment(Qt::AlignCenter);
    updateHeadingFont();

    preferencesButton_ = makeButton(srcFilesPanel_, u"preferencesButton"_s, u"Settings"_s);
    helpButton_ = makeButton(srcFilesPanel_, u"helpButton"_s, {});
    helpButton_->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    helpButton_->setIconSize(QSize(18, 18));
    helpButton_->setFlat(true);

    browseFilesButton_ = makeButton(srcFilesPanel_, u"browseFilesButton"_s, u"Browse..."_s);
    browseButton_ = makeButton(srcFilesPanel_, u"browseButton"_s, u"Import from Music..."_s);
    enterURLButton_ = makeButton(srcFilesPanel_, u"enterURLButton"_s, u"Enter URL..."_s);
    browseFilesButton_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    updateImportButtonIcon();
    enterURLButton_->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));

    destinationLabel_ = new QLabel(u"Destination:"_s, dstDirPanel_);
    destinationLabel_->setObjectName(u"destinationLabel"_s);
    destinationFolder_ = new TQControlPathPicker(dstDirPanel_);
    selectDestinationFolderButton_ = makeButton(dstDirPanel_, u"selectDestinationFolderButton"_s, u"Choose..."_s);
    destinationFolderButton_ = makeButton(dstDirPanel_, u"destinationFolderButton"_s, {});
    destinationFolderButton_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    destinationFolderButton_->setToolTip(u"Opens the Destination Folder in the file manager"_s);

    zoomButton_ = new QToolButton(mainView);
    zoomButton_->setObjectName(u"zoomButton"_s);
    zoomButton_->setAutoRaise(true);
    zoomButton_->setFocusPolicy(Qt::StrongFocus);
    zoomButton_->setToolTip(u"Collapse or expand the window"_s);

    // The flat "?" and the toggle show their frame, and with it the focus, while they have focus.
    for (QWidget* button : {static_cast<QWidget*>(helpButton_), static_cast<QWidget*>(zoomButton_)})
        button->installEventFilter(this);
}

void TQCAppMainWindow::updateHeadingFont()
{
    QFont heading = font();
    heading.setPointSizeF(heading.pointSizeF() * 1.15);
    heading.setBold(true);
    titleDropFiles_->setFont(heading);
}

void TQCAppMainWindow::updateImportButtonIcon()
{
    // The style draws its play glyph black, which a dark palette's buttons hide.
    const QSize side = browseButton_->iconSize();
    QPixmap glyph = style()->standardIcon(QStyle::SP_MediaPlay).pixmap(side, devicePixelRatioF());
    QPainter painter(&glyph);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), glyph.deviceIndependentSize()), palette().color(QPalette::ButtonText));
    painter.end();
    browseButton_->setIcon(QIcon(glyph));
}

int TQCAppMainWindow::settingsButtonWidth() const { return std::max(88, preferencesButton_->sizeHint().width()); }

int TQCAppMainWindow::buttonHeight() const { return std::max(kButtonHeight, preferencesButton_->sizeHint().height()); }

int TQCAppMainWindow::sourceAreaHeight() const
{
    const int topRow = std::max(buttonHeight(), titleDropFiles_->sizeHint().height());
    return std::max(kSourceAreaHeight, kTopRowY + topRow + kTopRowY + buttonHeight() + 20);
}

QSize TQCAppMainWindow::fullContentSize() const
{
    // The heading stays centred between the Settings button and the "?" with the toggle.
    const int left = kMargin + settingsButtonWidth() + 2 * kGap;
    const int right = kMargin + kToggleSize + 8 + buttonHeight() + 2 * kGap;
    const int heading = titleDropFiles_->sizeHint().width() + 2 * std::max(left, right);
    const int buttons = browseFilesButton_->sizeHint().width() + 20 + browseButton_->sizeHint().width() + 30 +
                        enterURLButton_->sizeHint().width() + 20 + 2 * kGap + 2 * kMargin;
    const int destination = kMargin + 4 + destinationLabel_->sizeHint().width() + 8 + kNarrowestPicker + 12 +
                            selectDestinationFolderButton_->sizeHint().width() + 12 + 6 + 34 + kMargin;
    const int height = sourceAreaHeight() + kDestinationRowY + buttonHeight() + kDestinationRowY;
    return {std::max({kFullWidth, heading, buttons, destination}), std::max(kFullHeight, height)};
}

QSize TQCAppMainWindow::collapsedContentSize() const
{
    const int width = 2 * (kMargin + kToggleSize) + settingsButtonWidth();
    return {std::max(kCollapsedWidth, width), std::max(kCollapsedHeight, buttonHeight() + 11)};
}

void TQCAppMainWindow::layoutContent()
{
    const int width = fullContentSize().width();
    const int height = buttonHeight();
    const int topRow = std::max(height, titleDropFiles_->sizeHint().height());

    preferencesButton_->setGeometry(kMargin, kTopRowY + (topRow - height) / 2, settingsButtonWidth(), height);
    helpButton_->setGeometry(width - kMargin - kToggleSize - 8 - height, kTopRowY + (topRow - height) / 2, height,
                             height);
    const int headingWidth = titleDropFiles_->sizeHint().width();
    titleDropFiles_->setGeometry((width - headingWidth) / 2, kTopRowY, headingWidth, topRow);

    // Browse and Enter URL flank the import button, centred in the window.
    const int rowY = kTopRowY + topRow + kTopRowY;
    QRect import(0, rowY, browseButton_->sizeHint().width() + 30, height);
    import.moveLeft(width / 2 - import.width() / 2);
    browseButton_->setGeometry(import);
    const int browseWidth = browseFilesButton_->sizeHint().width() + 20;
    browseFilesButton_->setGeometry(import.left() - kGap - browseWidth, rowY, browseWidth, height);
    enterURLButton_->setGeometry(import.right() + 1 + kGap, rowY, enterURLButton_->sizeHint().width() + 20, height);

    const int labelWidth = destinationLabel_->sizeHint().width();
    destinationLabel_->setGeometry(kMargin + 4, kDestinationRowY, labelWidth, height);
    const int openWidth = 34;
    const int chooseWidth = selectDestinationFolderButton_->sizeHint().width() + 12;
    destinationFolderButton_->setGeometry(width - kMargin - openWidth, kDestinationRowY, openWidth, height);
    selectDestinationFolderButton_->setGeometry(width - kMargin - openWidth - 6 - chooseWidth, kDestinationRowY,
                                                chooseWidth, height);
    const int pickerX = kMargin + 4 + labelWidth + 8;
    destinationFolder_->setGeometry(pickerX, kDestinationRowY, width - kMargin - openWidth - 12 - chooseWidth - pickerX,
                                    height);
}

bool TQCAppMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const bool focused = event->type() == QEvent::FocusIn;
        if (watched == helpButton_)
            helpButton_->setFlat(!focused);
        else if (watched == zoomButton_)
            zoomButton_->setAutoRaise(!focused);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TQCAppMainWindow::setupAccessibility()
{
    zoomButton_->setAccessibleDescription(u"Press this button to collapse or expand the window"_s);
    const struct {
        QWidget* view;
        QString help;
        QString label;
    } texts[] = {
        {preferencesButton_, u"Shows Settings"_s, u"Settings"_s},
        {helpButton_, u"Shows Guides and Support Form"_s, u"Help"_s},
        {destinationFolder_, u"Shows or selects the Destination Folder"_s, u"Destination Folder"_s},
        {browseFilesButton_, u"Selects source files and starts conversion"_s, {}},
        {selectDestinationFolderButton_, u"Press this button to select the Destination Folder"_s, {}},
        {destinationFolderButton_, u"Opens the Destination Folder in the file manager"_s, {}},
    };
    for (const auto& text : texts) {
        text.view->setAccessibleDescription(text.help);
        text.view->setToolTip(text.help);
        if (!text.label.isEmpty())
            text.view->setAccessibleName(text.label);
    }
}

void TQCAppMainWindow::showImportButton(const QString& title, const QString& libraryName)
{
    browseButton_->setText(title.isEmpty() ? u"Import from %1..."_s.arg(libraryName) : title);
    browseButton_->setToolTip(u"Press this button to import files from %1.\n\nTo import individual %1 tracks, drag "
                              "and drop them from %1 to the main window."_s.arg(libraryName));
    layoutContent();
}

QAction* TQCAppMainWindow::addMenuItem(QMenu* menu, const QString& title, const QByteArray& action, int tag,
                                       const QString& keyEquivalent, Qt::ShortcutContext scope)
{
    auto owned = TQKitMakeMenuItem(title, action, keyEquivalent);
    QAction* item = owned.get();
    item->setShortcutContext(scope);
    if (tag != 0)
        TQKitMenuItemSetTag(item, tag);
    TQKitMenuAddItem(menu, std::move(owned));
    connect(item, &QAction::triggered, this, [this, item] { Q_EMIT menuItemChosen(item); });
    return item;
}

void TQCAppMainWindow::wireMenu(QMenu* menu)
{
    // Items are enabled as the controller validates them when their menu opens and when their
    // shortcut is pressed; an item that opens a submenu keeps its state.
    TQKitMenuSetValidator(menu, this, [this](QAction* item) {
        return controller_ && !item->menu() ? controller_->validateMenuItem(item) : item->isEnabled();
    });
}

void TQCAppMainWindow::buildMenus()
{
    mainMenu_ = new QMenu(this);
    auto addSubmenu = [this](QMenu* parent, const QString& title, int tag) {
        auto* submenu = new QMenu(title, parent);
        QAction* item = parent->addMenu(submenu);
        if (tag != 0)
            TQKitMenuItemSetTag(item, tag);
        wireMenu(submenu);
        return submenu;
    };

    // The menu bar belongs to this window, and a window's shortcuts work only while it is active.
    // The commands that act on the whole application (settings, help, close all, quit) take their
    // shortcuts to every window of it, the preferences dialog and the progress windows included;
    // like the menu bar, they wait while a sheet or dialog holds this window. The other shortcuts
    // act on this window and stay with it.
    constexpr Qt::ShortcutContext anyWindow = Qt::ApplicationShortcut;
    QMenu* app = addSubmenu(mainMenu_, u"&Sonvale"_s, kTQMenuTagAppMain);
    addMenuItem(app, u"About Sonvale"_s, "openAppInfoURL:");
    TQKitMenuAddSeparator(app);
    addMenuItem(app, u"Settings..."_s, "showPreferences:", 0, u"Ctrl+,"_s, anyWindow);
    addMenuItem(app, u"Clear Caches..."_s, "clearCaches:");
    addMenuItem(app, u"Check for Updates..."_s, "checkForUpdates:");
    addMenuItem(app, u"Reset Page Settings..."_s, "resetPreferences:", kTQMenuTagResetPreferences)->setVisible(false);
    TQKitMenuAddSeparator(app);
    addMenuItem(app, u"Quit Sonvale"_s, "terminate:", kTQMenuTagSettingsForDialog, u"Ctrl+Q"_s, anyWindow);

    QMenu* file = addSubmenu(mainMenu_, u"&File"_s, 0);
    addMenuItem(file, u"Convert Files..."_s, "delegateAction:", kTQMenuTagBrowse, u"Ctrl+O"_s);
    addMenuItem(file, u"Enter URL..."_s, "delegateAction:", kTQMenuTagEnterURL, u"Ctrl+U"_s);
    addMenuItem(file, u"Import from iTunes..."_s, "delegateAction:", kTQMenuTagImportFromMusic);
    TQKitMenuAddSeparator(file);
    addSubmenu(file, u"Destination Folder"_s, kTQMenuTagDestinationFolder);
    addMenuItem(file, u"Show Destination Folder"_s, "delegateAction:", kTQMenuTagShowInFinder, u"Ctrl+R"_s);
    TQKitMenuAddSeparator(file);
    addMenuItem(file, u"Close All"_s, "closeAllCustom:", 0, u"Ctrl+Alt+W"_s, anyWindow);
    addMenuItem(file, u"Close"_s, "performClose:", 0, u"Ctrl+W"_s);

    QMenu* edit = addSubmenu(mainMenu_, u"&Edit"_s, 0);
    addMenuItem(edit, u"Undo"_s, "undo:");
    addMenuItem(edit, u"Redo"_s, "redo:");
    TQKitMenuAddSeparator(edit);
    addMenuItem(edit, u"Paste"_s, "paste:", 0, u"Ctrl+V"_s);
    addMenuItem(edit, u"Select All"_s, "selectAll:");

    QMenu* windowMenu = addSubmenu(mainMenu_, u"&Window"_s, 0);
    addMenuItem(windowMenu, u"Collapse or Expand"_s, "expandCollapseWindow:", 0, u"Ctrl+M"_s);
    QAction* stayInFront = addMenuItem(windowMenu, u"Stay in Front"_s, "stayInFront:");
    stayInFront->setCheckable(true);
    addMenuItem(windowMenu, u"Bring All to Front"_s, "arrangeInFront:");

    QMenu* help = addSubmenu(mainMenu_, u"&Help"_s, kTQMenuTagHelpMain);
    addMenuItem(help, u"Sonvale Help"_s, "contactUs:", 0, u"F1"_s, anyWindow);
    addMenuItem(help, u"Sonvale Website"_s, "openAppInfoURL:");

    for (QAction* item : mainMenu_->actions())
        menuBar()->addAction(item);

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(u"popupMenu"_s);
    wireMenu(popupMenu_);
    addMenuItem(popupMenu_, u"Settings..."_s, "showPreferences:");
    TQKitMenuAddSeparator(popupMenu_);
    addMenuItem(popupMenu_, u"Convert Files..."_s, "delegateAction:", kTQMenuTagBrowse);
    addMenuItem(popupMenu_, u"Enter URL..."_s, "delegateAction:", kTQMenuTagEnterURL);
    addMenuItem(popupMenu_, u"Import from iTunes..."_s, "delegateAction:", kTQMenuTagImportFromMusic);
    TQKitMenuAddSeparator(popupMenu_);
    addSubmenu(popupMenu_, u"Destination Folder"_s, kTQMenuTagDestinationFolder);
    addMenuItem(popupMenu_, u"Show Destination Folder"_s, "delegateAction:", kTQMenuTagShowInFinder);
    TQKitMenuAddSeparator(popupMenu_);
    QAction* popupStayInFront = addMenuItem(popupMenu_, u"Stay in Front"_s, "stayInFront:");
    popupStayInFront->setCheckable(true);
    addMenuItem(popupMenu_, u"Expand Window"_s, "expandCollapseWindow:");
    TQKitMenuAddSeparator(popupMenu_);
    addMenuItem(popupMenu_, u"Quit Sonvale"_s, "terminate:");

    // The window holds the items with shortcuts too, so that they work while the collapsed window
    // hides its menu bar.
    for (QAction* item : menuItems()) {
        if (!item->shortcut().isEmpty())
            addAction(item);
    }
}

QList<QAction*> TQCAppMainWindow::menuItems() const
{
    QList<QAction*> items;
    std::function<void(const QMenu*)> collect = [&](const QMenu* menu) {
        for (QAction* item : menu->actions()) {
            items.append(item);
            if (item->menu())
                collect(item->menu());
        }
    };
    collect(mainMenu_);
    collect(popupMenu_);
    return items;
}

void TQCAppMainWindow::layoutPanels()
{
    const QSize size = centralWidget()->size();
    const int sourceHeight = sourceAreaHeight();
    const bool full = size.height() > sourceHeight;
    srcFilesPanel_->setGeometry(0, 0, size.width(), full ? sourceHeight : size.height());
    dstDirPanel_->setGeometry(0, sourceHeight, size.width(), full ? size.height() - sourceHeight : 0);
    dstDirPanel_->setVisible(full);
    const int topRow = std::max(buttonHeight(), titleDropFiles_->sizeHint().height());
    const int toggleY = full ? kTopRowY + (topRow - kToggleSize) / 2 : (size.height() - kToggleSize) / 2;
    zoomButton_->setGeometry(size.width() - kMargin - kToggleSize + (full ? 0 : 8), toggleY, kToggleSize, kToggleSize);
    // Up folds the window, down unfolds it.
    zoomButton_->setIcon(chevronIcon(palette().color(QPalette::ButtonText), full, devicePixelRatioF()));
    zoomButton_->raise();
}

void TQCAppMainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && controller_)
        controller_->windowDidBecomeKey();
    if (!zoomButton_)
        return; // still being built
    if (event->type() == QEvent::PaletteChange) {
        updateImportButtonIcon();
        layoutPanels();
    }
    if (event->type() == QEvent::FontChange) {
        updateHeadingFont();
        if (controller_)
            controller_->fontDidChange();
    }
}

void TQCAppMainWindow::closeEvent(QCloseEvent* event)
{
    if (controller_ && !controller_->windowShouldClose())
        event->ignore();
    else
        QMainWindow::closeEvent(event);
}

void TQCAppMainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutPanels();
}
