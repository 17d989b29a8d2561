#include "app/progress-window/TQCAppProgressWindowiTunesController.h"

#include "platform/tqkit-ui/TQKitAccessibility.h"
#include "platform/tqkit-ui/TQKitMusicApp.h"
#include "platform/tqkit/TQKitSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr char kSection[] = "TQCSetting";
constexpr char kPlaylistNameKey[] = "iTunesPlayListName";
constexpr char kCloseWindowKey[] = "CloseWindowWhenSendToiTunedCompleted";
constexpr int kNameLimit = 259;

} // namespace

bool TQCAppProgressWindowiTunesController::FocusOnShow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && combo) {
        combo->setFocus(Qt::OtherFocusReason);
        if (combo->lineEdit())
            combo->lineEdit()->selectAll();
    }
    return QObject::eventFilter(watched, event);
}

TQCAppProgressWindowiTunesController::TQCAppProgressWindowiTunesController()
    : view_(std::make_unique<QWidget>()), comboboxPlaylists_(new QComboBox(view_.get())),
      checkboxCloseButtonWhenCompleted_(new QCheckBox(u"Close Progress Window when completed"_s, view_.get()))
{
    focusOnShow_.combo = comboboxPlaylists_;
    view_->setObjectName(u"musicExportOptions"_s);
    auto* layout = new QVBoxLayout(view_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(comboboxPlaylists_);
    layout->addWidget(checkboxCloseButtonWhenCompleted_);
    comboboxPlaylists_->setEditable(true);
    comboboxPlaylists_->setInsertPolicy(QComboBox::NoInsert);
    comboboxPlaylists_->setMinimumWidth(260);

    comboboxPlaylists_->addItems(TQKitMusicPlaylistNamesList());
    QString name = QString::fromStdString(TQKitSettingReadText(kSection, kPlaylistNameKey, "")).left(kNameLimit);
    comboboxPlaylists_->setEditText(name.isEmpty() ? playlistDefaultName() : name);
    checkboxCloseButtonWhenCompleted_->setChecked(TQKitSettingReadInt(kSection, kCloseWindowKey, 0) != 0);

    const QString music = TQKitMusicAppName();
    TQKitSetAccessibilityLabel(comboboxPlaylists_, u"%1 Playlist"_s.arg(music));
    TQKitSetAccessibilityHelp(comboboxPlaylists_, u"%1 playlist where converted files should be sent"_s.arg(music));
    TQKitSetAccessibilityHelp(checkboxCloseButtonWhenCompleted_,
                              u"Close this and Progress Window after converted files have been sent to the %1"_s.arg(music));
    // The playlist takes the keyboard as soon as the alert shows the view.
    view_->installEventFilter(&focusOnShow_);
}

TQCAppProgressWindowiTunesController::~TQCAppProgressWindowiTunesController() = default;

QString TQCAppProgressWindowiTunesController::playlistName() const
{
    const QString name = comboboxPlaylists_->currentText().trimmed();
    return name.isEmpty() ? playlistDefaultName() : name;
}

QString TQCAppProgressWindowiTunesController::playlistDefaultName() { return TQKitApplicationName(); }

bool TQCAppProgressWindowiTunesController::closeWindowWhenCompleted() const
{
    return checkboxCloseButtonWhenCompleted_->isChecked();
}

bool TQCAppProgressWindowiTunesController::commitEditing()
{
    savePlaylistName(playlistName());
    TQKitSettingWriteText(kSection, kCloseWindowKey, closeWindowWhenCompleted() ? "1" : "0");
    return true;
}

void TQCAppProgressWindowiTunesController::savePlaylistName(const QString& name)
{
    if (!name.isEmpty())
        TQKitSettingWriteText(kSection, kPlaylistNameKey, name.toUtf8().constData());
}
