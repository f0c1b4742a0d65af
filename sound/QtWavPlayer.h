#pragma once

#include "sound/WavPlayer.h"
#include "term/qt/PostedCalls.h"

#include <QObject>
#include <QString>

#include <memory>

class QSoundEffect;

namespace tav {

class LogSink;

// WAV output through QSoundEffect. Build it on the user-interface thread; PlayAsync may
// be called from any thread and hands the request to that thread. A new request stops
// the sound that plays. Without an audio output, or when the file cannot be played, it
// logs "No audio output: %s not played." or "Unable to play %s." instead.
class QtWavPlayer final : public WavPlayer {
public:
    explicit QtWavPlayer(LogSink& log);
    ~QtWavPlayer() override;
    QtWavPlayer(const QtWavPlayer&) = delete;
    QtWavPlayer& operator=(const QtWavPlayer&) = delete;

    void PlayAsync(const std::string& path) override;

private:
    void PlayNow(const QString& absolutePath, const std::string& path);

    LogSink& log_;
    std::unique_ptr<PostedCalls> context_; // queued requests die with it
    std::unique_ptr<QSoundEffect> effect_;
    std::string current_;
};

} // namespace tav
