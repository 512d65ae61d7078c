#include "platform/sound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>
#include <QCoreApplication>
#include <QPointer>

namespace sound {

namespace {
// Owned by the application object, so they go before the audio backend does.
struct Cues {
    QPointer<QSoundEffect> countdown, exclamation, information;
};
Cues &cues()
{
    static Cues c;
    return c;
}
Observer &observer()
{
    static Observer o;
    return o;
}

QSoundEffect *load(const QUrl &url)
{
    auto *e = new QSoundEffect(QCoreApplication::instance());
    e->setSource(url);
    return e;
}
} // namespace

void init()
{
    if (observer())
        return;
    Cues &c = cues();
    const QFileInfo wav(QStringLiteral("wav/a.wav"));
    if (wav.exists())
        c.countdown = load(QUrl::fromLocalFile(wav.absoluteFilePath()));
    c.exclamation = load(QUrl(QStringLiteral("qrc:/sounds/exclamation.wav")));
    c.information = load(QUrl(QStringLiteral("qrc:/sounds/information.wav")));
}

void play(Cue cue)
{
    if (observer()) {
        observer()(cue);
        return;
    }
    Cues &c = cues();
    QSoundEffect *e = cue == Cue::Countdown ? c.countdown.data()
                    : cue == Cue::Exclamation ? c.exclamation.data() : c.information.data();
    if (e) {
        e->stop(); // restart a cue that is still sounding
        e->play();
    }
}

void setObserver(Observer o) { observer() = std::move(o); }

} // namespace sound
