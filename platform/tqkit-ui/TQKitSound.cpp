#include "platform/tqkit-ui/TQKitSound.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kSuppressionMs = 1000;

TQKitSoundRecorder& soundRecorder()
{
    static TQKitSoundRecorder recorder;
    return recorder;
}

QElapsedTimer& lastPlayed()
{
    static QElapsedTimer timer;
    return timer;
}

} // namespace

void TQKitPlayBundleSound(const QString& name)
{
    lastPlayed().start();
    if (soundRecorder()) {
        soundRecorder()(name);
        return;
    }
    const QString resource = u":/sounds/%1.wav"_s.arg(name);
    if (!QFile::exists(resource)) {
        QApplication::beep();
        return;
    }
    // The effect lives until it has played or failed; it belongs to the application meanwhile.
    auto* effect = new QSoundEffect(qApp);
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error) {
            QApplication::beep();
            effect->deleteLater();
        } else if (effect->status() == QSoundEffect::Ready) {
            effect->play();
        }
    });
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying())
            effect->deleteLater();
    });
    effect->setSource(QUrl(u"qrc"_s + resource));
}

void TQKitSetSoundRecorder(TQKitSoundRecorder recorder) { soundRecorder() = std::move(recorder); }

int TQKitFinishSoundSuppressed()
{
    return lastPlayed().isValid() && lastPlayed().elapsed() < kSuppressionMs ? 1 : 0;
}
