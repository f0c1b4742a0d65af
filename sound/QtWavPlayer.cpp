#include "sound/QtWavPlayer.h"

#include "settings/LogSink.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace tav {

QtWavPlayer::QtWavPlayer(LogSink& log)
    : log_(log), context_(std::make_unique<PostedCalls>()),
      effect_(std::make_unique<QSoundEffect>()) {
    QObject::connect(effect_.get(), &QSoundEffect::statusChanged, context_.get(), [this] {
        if (effect_->status() == QSoundEffect::Error)
            log_.LogLine("Unable to play " + current_ + ".");
    });
}

QtWavPlayer::~QtWavPlayer() {
    context_.reset(); // drops requests still queued, and the status connection
    effect_.reset();
}

void QtWavPlayer::PlayAsync(const std::string& path) {
    // Resolved now: the working directory is the one the request was made in.
    const QString absolutePath = QFileInfo(QString::fromLocal8Bit(path)).absoluteFilePath();
    context_->Post([this, absolutePath, path] { PlayNow(absolutePath, path); });
}

void QtWavPlayer::PlayNow(const QString& absolutePath, const std::string& path) {
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        log_.LogLine("No audio output: " + path + " not played.");
        return;
    }
    current_ = path;
    effect_->stop();
    const QUrl source = QUrl::fromLocalFile(absolutePath);
    if (effect_->source() == source) {
        effect_->play();
        return;
    }
    effect_->setSource(source); // plays once loaded
    effect_->play();
}

} // namespace tav
