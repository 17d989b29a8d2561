#include "app/preferences/TQPreferencesDialogController.h"

#include "app/controls/TQAppInfoMenu.h"
#include "app/preferences/TQPreferencesDialogDelegate.h"
#include "app/preferences/TQPreferencesDialogWindow.h"
#include "app/preferences/TQPreferencesViewController.h"
#include "platform/system/UserDefaults.h"
#include "platform/tqkit-ui/TQKitAlerts.h"
#include "platform/tqkit-ui/TQKitAppInfo.h"
#include "platform/tqkit-ui/TQKitAssociatedObject.h"
#include "platform/tqkit-ui/TQKitHelpCommands.h"
#include "platform/tqkit-ui/TQKitIntroToolTip.h"
#include "platform/tqkit-ui/TQKitMenu.h"
#include "platform/tqkit-ui/TQKitMenuItems.h"
#include "platform/tqkit-ui/TQKitWorkspace.h"
#include "platform/tqkit/TQKitSettings.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <chrono>

using namespace Qt::StringLiterals;

namespace {

constexpr char kSection[] = "TQPreferences";
constexpr char kStayInFrontKey[] = "StayInFront";
constexpr char kLastVisibilityStatusKey[] = "LastVisibilityStatus";
constexpr char kSelectedIdentifierKey[] = "TQPreferences Selected Identifier View";
constexpr char kFrameTopLeftKey[] = "TQPreferences Frame Top Left";
constexpr char kControllerKey[] = "TQPreferencesDialogController";
constexpr auto kFrameRestDelay = std::chrono::milliseconds(300);
const QString kFrameStoreTag = u"storeUnsavedFrames"_s;
constexpr int kHelpImageSide = 36;
constexpr int kToolbarImageSide = 32;
constexpr int kShortestToolbarLabel = 9;
constexpr int kLongLabel = 10;
// The part of a restored window that must lie on a screen, so that its title bar can be grabbed.
constexpr QSize kGrabbableCorner{120, 40};

// Window state is a convenience: when it can't be stored, the dialog opens with its defaults.
void rememberIn(sonvale::UserDefaults& defaults, const std::string& value, const std::string& key)
{
    (void)defaults.setObjectForKey(value, key);
}

// A toolbar button puts its label right under the image it draws, and a style's icon may come
// smaller than the toolbar's size: each image is centred in a square of that size, so that every
// label sits on one line.
QIcon toolbarImage(const QIcon& image)
{
    if (image.isNull())
        return image;
    QIcon square;
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap drawn = image.pixmap(QSize(kToolbarImageSide, kToolbarImageSide), ratio);
        QPixmap canvas(QSize(kToolbarImageSide, kToolbarImageSide) * ratio);
        canvas.setDevicePixelRatio(ratio);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        const QSizeF size = drawn.deviceIndependentSize();
        painter.drawPixmap(QPointF((kToolbarImageSide - size.width()) / 2, (kToolbarImageSide - size.height()) / 2),
                           drawn);
        painter.end();
        square.addPixmap(canvas);
    }
    return square;
}

QString pageFrameKey(const QString& identifier) { return u"TQPreferences %1 Frame"_s.arg(identifier); }

// Points and rectangles as text: "{x, y}" and "{{x, y}, {w, h}}".
QString pointText(QPoint point) { return u"{%1, %2}"_s.arg(point.x()).arg(point.y()); }
QString rectText(QRect rect)
{
    return u"{{%1, %2}, {%3, %4}}"_s.arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

QList<double> numbersIn(const QString& text)
{
    static const QRegularExpression number(u"-?[0-9]+(\\.[0-9]+)?"_s);
    QList<double> numbers;
    for (auto match = number.globalMatch(text); match.hasNext();)
        numbers.append(match.next().captured().toDouble());
    return numbers;
}

std::optional<QPoint> pointFromText(const QString& text)
{
    const QList<double> n = numbersIn(text);
    if (n.size() != 2)
        return std::nullopt;
    return QPoint(qRound(n[0]), qRound(n[1]));
}

std::optional<QRect> rectFromText(const QString& text)
{
    const QList<double> n = numbersIn(text);
    if (n.size() != 4 || n[2] <= 0 || n[3] <= 0)
        return std::nullopt;
    return QRect(qRound(n[0]), qRound(n[1]), qRound(n[2]), qRound(n[3]));
}

// A stored top-left point moved, when needed, so that the window's corner lies on an available
// screen: screens may have been removed or rearranged since it was stored.
QPoint onAvailableScreen(QPoint topLeft)
{
    const QRect corner(topLeft, kGrabbableCorner);
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().contains(corner))
            return topLeft;
    }
    const QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return topLeft;
    const QRect area = screen->availableGeometry();
    return {std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - kGrabbableCorner.width())),
            std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() - kGrabbableCorner.height()))};
}

QString titleOf(const TQPreferencesViewController* page)
{
    if (page) {
        if (const QString title = page->titleLabel(); !title.isEmpty())
            return title;
        if (const QString label = page->toolbarItemLabel(); !label.isEmpty())
            return label;
    }
    return u"Settings"_s;
}

QWidget* flexibleSpace(QWidget* parent)
{
    auto* space = new QWidget(parent);
    space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return space;
}

} // namespace

TQPreferencesDialogController::TQPreferencesDialogController(QList<TQPreferencesViewController*> viewControllers,
                                                             const QString& title, const QVariantMap& options)
    : viewControllers_(std::move(viewControllers)), title_(title),
      defaultIndexOfSelectedViewController_(options.value(QLatin1StringView(kDefaultIndexOption), 0).toLongLong()),
      hasHelpButton_(options.value(QLatin1StringView(kHelpButtonOption), 0).toInt() != 0),
      helpButtonCaption_(u"Help"_s),
      defaults_(std::make_unique<sonvale::UserDefaults>(sonvale::UserDefaults::standardPath())),
      window_(std::make_unique<TQPreferencesDialogWindow>([this] { closeButtonAction(); }))
{
    for (TQPreferencesViewController* page : viewControllers_) {
        if (page)
            page->setParent(this);
    }
    if (hasHelpButton_) {
        const QString caption = options.value(QLatin1StringView(kHelpButtonCaptionOption)).toString();
        if (!caption.isEmpty())
            helpButtonCaption_ = caption;
        const QVariant offset = options.value(QLatin1StringView(kHelpButtonRightOffsetOption));
        if (offset.isValid())
            helpButtonRightOffset_ = offset.toInt();
    }
    buildToolbar();
    windowDidLoad();
}

TQPreferencesDialogController::~TQPreferencesDialogController()
{
    storeUnsavedFrames();
    window_->removeEventFilter(this);
    for (TQPreferencesViewController* page : viewControllers_) {
        if (page)
            clearControllerDelegateDependendProperties(page);
    }
}

QWidget* TQPreferencesDialogController::window() const { return window_.get(); }

// --- Set-up --------------------------------------------------------------------------------------

void TQPreferencesDialogController::buildToolbar()
{
    toolbar_ = window_->addToolBar(u"Pages"_s);
    toolbar_->setObjectName(u"preferencesToolbar"_s);
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(kToolbarImageSide, kToolbarImageSide));
    toolbarGroup_ = new QActionGroup(this);
    toolbarGroup_->setExclusive(true);

    const int labelLength = toolbarLabelLength();
    for (TQPreferencesViewController* page : viewControllers_) {
        if (page)
            addToolbarItem(makeToolbarItem(page, labelLength), nullptr);
        else
            toolbar_->addWidget(flexibleSpace(toolbar_));
    }
    if (!hasHelpButton_)
        return;
    flexibleSpaceBeforeHelp_ = toolbar_->addWidget(flexibleSpace(toolbar_));
    helpButton_ = new QToolButton(toolbar_);
    helpButton_->setObjectName(QLatin1StringView(kHelpButtonIdentifier));
    helpButton_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    helpButton_->setIcon(toolbarImage(window_->style()->standardIcon(QStyle::SP_MessageBoxInformation)));
    helpButton_->setIconSize(QSize(kToolbarImageSide, kToolbarImageSide));
    helpButton_->setText(helpButtonCaption_);
    helpButton_->setAutoRaise(true);
    helpButton_->setFocusPolicy(Qt::NoFocus);
    helpButton_->setMinimumWidth(qRound(2 * helpButtonRightOffset_) + kHelpImageSide);
    const QString help = u"%1\n\n%2"_s.arg(u"Help"_s, u"Learn how to get most out of settings."_s);
    helpButton_->setToolTip(help);
    helpButton_->setAccessibleDescription(help);
    connect(helpButton_, &QToolButton::clicked, this, [this] { toolbarItemHelpButtonClick(); });
    toolbar_->addWidget(helpButton_);
}

int TQPreferencesDialogController::toolbarLabelLength() const
{
    qsizetype longest = 0;
    for (const TQPreferencesViewController* page : viewControllers_) {
        if (page)
            longest = std::max(longest, page->toolbarItemLabel().size());
    }
    return longest >= kLongLabel ? static_cast<int>(longest) : kShortestToolbarLabel;
}

QAction* TQPreferencesDialogController::makeToolbarItem(TQPreferencesViewController* page, int labelLength)
{
    // Padded labels give every page button the same width.
    auto* item =
        new QAction(toolbarImage(page->toolbarItemImage()), page->toolbarItemLabel().leftJustified(labelLength), this);
    item->setData(page->identifier());
    item->setObjectName(page->identifier());
    item->setCheckable(true);
    if (const QString tip = page->toolbarItemTooltip(); !tip.isEmpty())
        item->setToolTip(tip);
    toolbarGroup_->addAction(item);
    QPointer<TQPreferencesViewController> target(page);
    connect(item, &QAction::triggered, this, [this, target] {
        if (target)
            setSelectedViewController(target);
    });
    return item;
}

void TQPreferencesDialogController::windowDidLoad()
{
    if (!title_.isEmpty())
        window_->setWindowTitle(title_);

    if (firstViewController()) {
        TQPreferencesViewController* first = nullptr;
        if (const auto stored = defaults_->objectForKey(kSelectedIdentifierKey); stored && stored->is_string())
            first = viewControllerForIdentifier(QString::fromStdString(stored->get<std::string>()));
        if (!first && defaultIndexOfSelectedViewController_ >= 0 &&
            defaultIndexOfSelectedViewController_ < viewControllers_.size())
            first = viewControllers_.at(defaultIndexOfSelectedViewController_);
        if (!first)
            first = firstViewController();
        setSelectedViewController(first);
    }

    if (const auto stored = defaults_->objectForKey(kFrameTopLeftKey); stored && stored->is_string()) {
        if (const auto point = pointFromText(QString::fromStdString(stored->get<std::string>())))
            window_->move(onAvailableScreen(*point));
    }
    window_->installEventFilter(this);

    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), window_.get());
    connect(next, &QShortcut::activated, this, [this] { goNextTab(); });
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), window_.get());
    connect(previous, &QShortcut::activated, this, [this] { goPreviousTab(); });

    setStayInFront(getStayInFrontSetting());
    TQKitSetAssociatedObject(window_.get(), kControllerKey, this, false);
}

// --- Pages ---------------------------------------------------------------------------------------

void TQPreferencesDialogController::addViewController(TQPreferencesViewController* page)
{
    if (!page)
        return;
    page->setParent(this);
    viewControllers_.append(page);
    addToolbarItem(makeToolbarItem(page, toolbarLabelLength()), flexibleSpaceBeforeHelp_);
}

void TQPreferencesDialogController::addToolbarItem(QAction* item, QAction* before)
{
    toolbar_->insertAction(before, item);
    // Page buttons are chosen with the mouse or Ctrl+Tab; the keyboard focus stays on the page.
    if (QWidget* button = toolbar_->widgetForAction(item))
        button->setFocusPolicy(Qt::NoFocus);
}

void TQPreferencesDialogController::selectControllerAtIndex(qsizetype index)
{
    if (index >= 0 && index < viewControllers_.size())
        setSelectedViewController(viewControllers_.at(index));
}

TQPreferencesViewController* TQPreferencesDialogController::viewControllerForIdentifier(const QString& identifier) const
{
    for (TQPreferencesViewController* page : viewControllers_) {
        if (page && page->identifier() == identifier)
            return page;
    }
    return nullptr;
}

TQPreferencesViewController* TQPreferencesDialogController::firstViewController() const
{
    for (TQPreferencesViewController* page : viewControllers_) {
        if (page)
            return page;
    }
    return nullptr;
}

qsizetype TQPreferencesDialogController::selectedViewControllerIndex() const
{
    return selectedViewController_ ? viewControllers_.indexOf(selectedViewController_) : -1;
}

QString TQPreferencesDialogController::selectedViewControllerTitle() const
{
    return titleOf(selectedViewController_);
}

QStringList TQPreferencesDialogController::toolbarItemIdentifiers() const
{
    QStringList identifiers;
    for (const TQPreferencesViewController* page : viewControllers_)
        identifiers.append(page ? page->identifier() : QLatin1StringView(kFlexibleSpaceIdentifier));
    return identifiers;
}

QStringList TQPreferencesDialogController::toolbarItemIdentifiersWithHelpButton() const
{
    QStringList identifiers = toolbarItemIdentifiers();
    if (hasHelpButton_)
        identifiers << QLatin1StringView(kFlexibleSpaceIdentifier) << QLatin1StringView(kHelpButtonIdentifier);
    return identifiers;
}

QAction* TQPreferencesDialogController::toolbarItem(const QString& identifier) const
{
    for (QAction* item : toolbarGroup_->actions()) {
        if (item->data().toString() == identifier)
            return item;
    }
    return nullptr;
}

void TQPreferencesDialogController::setSelectedViewController(TQPreferencesViewController* page)
{
    if (page == selectedViewController_)
        return;
    if (TQPreferencesViewController* old = selectedViewController_) {
        if (!old->commitEditing()) {
            if (QAction* item = toolbarItem(old->identifier()))
                item->setChecked(true);
            return;
        }
        clearControllerDelegateDependendProperties(old);
        if (QWidget* view = window_->takeCentralWidget()) {
            view->hide();
            view->setParent(nullptr);
        }
        window_->setCentralWidget(new QWidget);
        old->viewDidDisappear();
        updateToolbarImageForViewController(old, false);
        selectedViewController_ = nullptr;
    }
    if (!page)
        return;

    window_->setWindowTitle(titleOf(page));
    if (QAction* item = toolbarItem(page->identifier()))
        item->setChecked(true);
    updateToolbarImageForViewController(page, true);
    rememberIn(*defaults_, page->identifier().toStdString(), kSelectedIdentifierKey);

    sizeWindowForPage(page);
    selectedViewController_ = page;
    setControllerDelegateDependendProperties(page);
    page->viewWillAppear();
    QWidget* view = page->view();
    delete window_->takeCentralWidget();
    window_->setCentralWidget(view);
    view->show();
    QWidget* focus = page->initialKeyView();
    (focus ? focus : view)->setFocus();
    Q_EMIT dialogDidChange();
}

void TQPreferencesDialogController::sizeWindowForPage(TQPreferencesViewController* page)
{
    QWidget* view = page->view();
    // The natural size: what the page asks for, and never narrower than the toolbar.
    const QSize natural = view->sizeHint()
                              .expandedTo(view->minimumSizeHint())
                              .expandedTo(view->minimumSize())
                              .expandedTo(QSize(toolbar_->sizeHint().width(), 0));
    QSize saved = natural;
    if (const auto stored = defaults_->objectForKey(pageFrameKey(page->identifier()).toStdString());
        stored && stored->is_string()) {
        if (const auto rect = rectFromText(QString::fromStdString(stored->get<std::string>())))
            saved = rect->size();
    }
    const bool resizableWidth = page->hasResizableWidth();
    const bool resizableHeight = page->hasResizableHeight();
    const QSize size(resizableWidth && saved.width() >= natural.width() ? saved.width() : natural.width(),
                     resizableHeight && saved.height() >= natural.height() ? saved.height() : natural.height());

    // The window holds the toolbar above the page; it keeps its top-left corner.
    const int toolbarHeight = toolbar_->sizeHint().height();
    window_->setMinimumSize(natural.width(), natural.height() + toolbarHeight);
    window_->setMaximumSize(resizableWidth ? QWIDGETSIZE_MAX : natural.width(),
                            resizableHeight ? QWIDGETSIZE_MAX : natural.height() + toolbarHeight);
    window_->resize(size.width(), size.height() + toolbarHeight);
}

void TQPreferencesDialogController::updateToolbarImageForViewController(TQPreferencesViewController* page,
                                                                        bool highlighted)
{
    const QIcon image = page->toolbarItemImage();
    const QIcon highlightedImage = page->toolbarItemHighlightedImage();
    if (image.isNull() || highlightedImage.isNull())
        return;
    if (QAction* item = toolbarItem(page->identifier()))
        item->setIcon(toolbarImage(highlighted ? highlightedImage : image));
}

void TQPreferencesDialogController::stepTab(qsizetype step)
{
    const qsizetype index = selectedViewControllerIndex();
    const qsizetype count = viewControllers_.size();
    if (index < 0)
        return;
    for (qsizetype n = 1; n < count; ++n) {
        const qsizetype candidate = ((index + step * n) % count + count) % count;
        if (viewControllers_.at(candidate)) {
            setSelectedViewController(viewControllers_.at(candidate));
            return;
        }
    }
}

void TQPreferencesDialogController::goNextTab() { stepTab(1); }

void TQPreferencesDialogController::goPreviousTab() { stepTab(-1); }

void TQPreferencesDialogController::setDelegate(TQPreferencesDialogDelegate* delegate)
{
    delegate_ = delegate;
    if (selectedViewController_)
        setControllerDelegateDependendProperties(selectedViewController_);
}

void TQPreferencesDialogController::setControllerDelegateDependendProperties(TQPreferencesViewController* page)
{
    ctxMenuForController(page);
    // The filter opens the page's context menu and notes the page's size.
    page->view()->installEventFilter(this);
}

void TQPreferencesDialogController::clearControllerDelegateDependendProperties(TQPreferencesViewController* page)
{
    if (page->isViewLoaded())
        page->view()->removeEventFilter(this);
    if (ctxMenuController_ == page)
        ctxMenuClear();
}

// --- Window --------------------------------------------------------------------------------------

void TQPreferencesDialogController::showWindow()
{
    setStayInFront(getStayInFrontSetting());
    window_->show();
    window_->raise();
    window_->activateWindow();
}

bool TQPreferencesDialogController::closeWindow()
{
    if (!windowShouldClose())
        return false;
    storeUnsavedFrames();
    window_->hide();
    return true;
}

bool TQPreferencesDialogController::windowShouldClose()
{
    return !selectedViewController_ || selectedViewController_->commitEditing();
}

void TQPreferencesDialogController::closeButtonAction()
{
    TQKitSettingWriteText(kSection, kLastVisibilityStatusKey, "0");
    closeWindow();
}

void TQPreferencesDialogController::windowDidBecomeKey()
{
    showHelpButtonIntroductoryToolTip();
    TQKitSettingWriteText(kSection, kLastVisibilityStatusKey, "1");
}

void TQPreferencesDialogController::windowDidMove()
{
    rememberFrame(pointText(window_->frameGeometry().topLeft()), kFrameTopLeftKey);
}

void TQPreferencesDialogController::windowDidResize()
{
    if (!selectedViewController_)
        return;
    const QSize size = selectedViewController_->view()->size();
    rememberFrame(rectText(QRect(QPoint(0, 0), size)), pageFrameKey(selectedViewController_->identifier()).toStdString());
}

void TQPreferencesDialogController::rememberFrame(const QString& value, const std::string& key)
{
    unsavedFrames_[key] = value.toStdString();
    delayedCalls_.cancel(kFrameStoreTag);
    delayedCalls_.perform(kFrameRestDelay, [this] { storeUnsavedFrames(); }, kFrameStoreTag);
}

void TQPreferencesDialogController::storeUnsavedFrames()
{
    delayedCalls_.cancel(kFrameStoreTag);
    for (const auto& [key, value] : unsavedFrames_)
        rememberIn(*defaults_, value, key);
    unsavedFrames_.clear();
}

bool TQPreferencesDialogController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_.get()) {
        if (event->type() == QEvent::Move && window_->isVisible())
            windowDidMove();
        else if (event->type() == QEvent::WindowActivate)
            windowDidBecomeKey();
        return false;
    }
    if (!selectedViewController_ || watched != selectedViewController_->view())
        return false;
    if (event->type() == QEvent::Resize && window_->isVisible()) {
        windowDidResize();
    } else if (event->type() == QEvent::ContextMenu && ctxMenu_ && ctxMenuController_ == selectedViewController_ &&
               !ctxMenu_->actions().isEmpty()) {
        ctxMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return false;
}

bool TQPreferencesDialogController::lastVisibilityStatus()
{
    return TQKitSettingReadInt(kSection, kLastVisibilityStatusKey, 0) != 0;
}

TQPreferencesDialogController* TQPreferencesDialogController::keyViewController()
{
    QWidget* window = QApplication::activeWindow();
    return qobject_cast<TQPreferencesDialogWindow*>(window)
               ? TQKitGetAssociatedObject<TQPreferencesDialogController>(window, kControllerKey)
               : nullptr;
}

TQPreferencesDialogController* TQPreferencesDialogController::findViewController()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<TQPreferencesDialogWindow*>(window) && window->isVisible())
            return TQKitGetAssociatedObject<TQPreferencesDialogController>(window, kControllerKey);
    }
    return nullptr;
}

bool TQPreferencesDialogController::isStayInFront() const
{
    return window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TQPreferencesDialogController::setStayInFront(bool stayInFront)
{
    if (isStayInFront() == stayInFront)
        return;
    // Changing the flags of a shown window hides it; it is shown again at once.
    const bool visible = window_->isVisible();
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, stayInFront);
    if (visible)
        window_->show();
}

bool TQPreferencesDialogController::getStayInFrontSetting()
{
    return TQKitSettingReadInt(kSection, kStayInFrontKey, 0) != 0;
}

void TQPreferencesDialogController::setStayInFrontSetting(bool stayInFront)
{
    TQKitSettingWriteText(kSection, kStayInFrontKey, stayInFront ? "1" : "0");
}

// --- Help ----------------------------------------------------------------------------------------

QString TQPreferencesDialogController::getAppInfoNetworkMenuKeyword(const TQPreferencesViewController* page) const
{
    const QString keyword = page ? page->appInfoNetworkMenuKeyword() : QString();
    if (keyword.isEmpty() || (delegate_ && !delegate_->preferencesDialogAppInfoKeywordAllowed()))
        return {};
    return keyword;
}

void TQPreferencesDialogController::toolbarItemHelpButtonClick()
{
    if (selectedViewController_) {
        if (const QString keyword = selectedViewController_->appInfoNetworkMenuKeyword(); !keyword.isEmpty()) {
            TQAppInfoMenuShowAtView(helpButton_, keyword, helpButtonRightOffset_, 2.0);
            return;
        }
        if (selectedViewController_->handleHelpCommand(helpButton_))
            return;
    }
    TQKitOpenURL(TQKitAppInfo::current().supportPageUrl);
}

void TQPreferencesDialogController::showHelpButtonIntroductoryToolTip()
{
    if (!hasHelpButton_ || !helpButton_ || !selectedViewController_)
        return;
    const QString keyword = getAppInfoNetworkMenuKeyword(selectedViewController_);
    std::vector<TQKitHelpEntry> commands;
    if (keyword.isEmpty() || !TQKitHelpCommandsGet(commands, keyword.toUtf8().constData()))
        return;
    const QVariantMap description{
        {u"title"_s, u"Help"_s},
        {u"message"_s, u"Learn how to get most out of '%1' settings."_s.arg(selectedViewController_->toolbarItemLabel())},
        {u"ITTFlags"_s, 1},
        {u"ITTDelayShows"_s, 10},
    };
    QPointer<TQPreferencesDialogController> self(this);
    TQKitShowIntroToolTip(helpButton_, u"PreferencesHelpButton"_s, description, [self, keyword] {
        std::vector<TQKitHelpEntry> again;
        if (!TQKitHelpCommandsGet(again, keyword.toUtf8().constData()))
            TQKitOpenURL(TQKitAppInfo::current().productPageUrl);
        else if (self)
            self->toolbarItemHelpButtonClick();
    });
}

// --- Reset and context menu ----------------------------------------------------------------------

bool TQPreferencesDialogController::respondsToResetPreferences() const
{
    return selectedViewController_ && selectedViewController_->hasResetPreferences();
}

QString TQPreferencesDialogController::resetPreferencesName() const
{
    if (!respondsToResetPreferences())
        return {};
    if (const QString title = selectedViewController_->resetPreferencesTitle(); !title.isEmpty())
        return title;
    return selectedViewControllerTitle();
}

QString TQPreferencesDialogController::resetPreferencesTitle() const
{
    return respondsToResetPreferences() ? u"Reset %1..."_s.arg(resetPreferencesName()) : QString();
}

QString TQPreferencesDialogController::resetPreferencesTitleMsgBox() const
{
    return respondsToResetPreferences() ? u"Reset %1"_s.arg(resetPreferencesName()) : QString();
}

void TQPreferencesDialogController::resetPreferences()
{
    if (!respondsToResetPreferences())
        return;
    const QString name = resetPreferencesName();
    QPointer<TQPreferencesDialogController> self(this);
    TQKitAskQuestion(window_.get(), u"Reset %1"_s.arg(name), u"Would you like to reset %1 to defaults?"_s.arg(name), 16,
                     [self](int result, bool) {
                         if (result == kTQKitQuestionConfirmed && self && self->respondsToResetPreferences())
                             self->selectedViewController_->resetPreferences();
                     });
}

bool TQPreferencesDialogController::ctxMenuSupported() const { return delegate_ != nullptr; }

QMenu* TQPreferencesDialogController::ctxMenuGet()
{
    if (!ctxMenu_) {
        ctxMenu_ = new QMenu(window_.get());
        ctxMenu_->setObjectName(u"preferencesContextMenu"_s);
    }
    return ctxMenu_;
}

void TQPreferencesDialogController::ctxMenuClear()
{
    if (!ctxMenu_)
        return;
    disconnect(ctxMenu_, &QMenu::aboutToShow, this, nullptr);
    for (QAction* item : ctxMenu_->actions()) {
        ctxMenu_->removeAction(item);
        if (item->parent() == ctxMenu_)
            item->deleteLater();
    }
    ctxMenuController_ = nullptr;
}

QMenu* TQPreferencesDialogController::ctxMenuForController(TQPreferencesViewController* page)
{
    if (!page || !ctxMenuSupported())
        return nullptr;
    QMenu* menu = ctxMenuGet();
    ctxMenuClear();
    ctxMenuController_ = page;
    if (respondsToResetPreferences()) {
        auto item = TQKitMakeMenuItem(resetPreferencesTitle(), "resetPreferences:");
        TQKitMenuItemSetTag(item.get(), kResetMenuItemTag);
        connect(item.get(), &QAction::triggered, this, [this] { resetPreferences(); });
        TQKitMenuAddItem(menu, std::move(item));
        TQKitMenuAddSeparator(menu);
    }
    delegate_->preferencesDialogCtxMenuBuildHeader(menu);
    delegate_->preferencesDialogCtxMenuBuildFooter(menu);
    TQKitMenuSetWillOpenHandler(menu, this, [this](QMenu* opening) { ctxMenuWillOpen(opening); });
    return menu->actions().isEmpty() ? nullptr : menu;
}

void TQPreferencesDialogController::ctxMenuWillOpen(QMenu* menu)
{
    if (respondsToResetPreferences()) {
        if (QAction* reset = TQKitMenuItemWithTag(menu, kResetMenuItemTag))
            reset->setText(resetPreferencesTitle());
    }
    if (delegate_)
        delegate_->preferencesDialogCtxMenuWillOpenAppInfoKeyword(menu, getAppInfoNetworkMenuKeyword(ctxMenuController_));
}
