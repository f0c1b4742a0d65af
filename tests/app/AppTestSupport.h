#pragma once

#include "settings/Settings.h"
#include "settings/SettingsText.h"
#include "settings/StoredValues.h"
#include "settings/TextMode.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>

namespace tav::test {

// Answers modal dialogs in the order they come up: each step receives the next modal
// widget that becomes active and runs once the event loop is free again, so a step may
// itself open another modal dialog.
class ModalScript {
public:
    using Step = std::function<void(QWidget*)>;
    ModalScript() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }
    void Then(Step step) { steps_.push_back(std::move(step)); }
    bool Done() const { return steps_.empty() && pending_ == 0; }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || pending_ != 0) return unanswered_.invalidate();
        if (modal == last_ || steps_.empty()) return Unanswered(modal);
        unanswered_.invalidate();
        last_ = modal;
        Step step = std::move(steps_.front());
        steps_.pop_front();
        ++pending_;
        QPointer<QWidget> target = modal;
        QTimer::singleShot(0, [this, step, target] {
            --pending_;
            if (target) step(target);
        });
    }

    // A modal widget no step answers (a box a step did not expect, or a dialog its step
    // left open) would hold the test in its event loop for ever: it fails and is closed.
    void Unanswered(QWidget* modal) {
        if (!unanswered_.isValid()) unanswered_.start();
        if (unanswered_.elapsed() < 10000) return;
        unanswered_.invalidate();
        ADD_FAILURE() << "no step answered " << modal->metaObject()->className() << " \""
                      << modal->windowTitle().toStdString() << "\"";
        if (auto* dialog = qobject_cast<QDialog*>(modal)) return dialog->reject();
        modal->close();
    }

    QTimer timer_;
    QElapsedTimer unanswered_;
    std::deque<Step> steps_;
    QPointer<QWidget> last_;
    int pending_ = 0;
};

// Runs the event loop until `done` holds or `ms` pass; true when it held. The bound only
// matters when something is wrong: a loaded machine may take seconds for a step.
inline bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// The texts of a status bar's lock indicators, "hidden" for one its window does not show.
template <typename Labels> QStringList ModeTexts(const Labels& labels) {
    QStringList texts;
    for (const QLabel* label : labels)
        texts << (label->isVisibleTo(label->window()) ? label->text() : QStringLiteral("hidden"));
    return texts;
}

// A scratch data directory that is the working directory while the test runs.
class ScratchDataDir {
public:
    ScratchDataDir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~ScratchDataDir() { QDir::setCurrent(previous_); }
    QString Path(const QString& name = {}) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// The settings a configured profile starts with in tests: the defaults, with the frame
// and tool window places a profile without a settings file is given.
struct ProfileSettings {
    Settings settings{};
    StoredValues values = StoredValues::Defaults();
    ProfileSettings() {
        values.termpos = Rect{0, 0, 640, 400};
        for (Rect* rect :
             {&values.scrollpos, &values.brdpos, &values.idpos, &values.gosspos, &values.editorpos,
              &values.helppos, &values.invpos, &values.eqpos, &values.whopos})
            *rect = Rect{0, 0, 300, 300};
    }
};

// Makes `name` a configured profile of the data directory `root`: its directory and its
// tav.cfg, written as the program writes it. Applying a profile without a settings file
// opens the configuration dialog, which only tests about that dialog want.
inline bool WriteConfiguredProfile(const QString& root, const QString& name,
                                   const ProfileSettings& profile = {}) {
    const QString dir = QDir(root).filePath(QStringLiteral("profiles/") + name);
    if (!QDir().mkpath(dir)) return false;
    return WriteTextFile(QDir(dir).filePath(QStringLiteral("tav.cfg")).toStdString(),
                         WriteSettingsText(profile.settings, profile.values));
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// An executable shell script at `path` running `body`.
inline bool WriteScript(const QString& path, const QByteArray& body) {
    return WriteBytes(path, "#!/bin/sh\n" + body) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A player program that writes its process id to "<path>.pid", then plays for a long while.
inline bool WritePlayer(const QString& path) {
    return WriteScript(path, "echo $$ > \"$0.pid\"\nexec sleep 30\n");
}

// The process id the player at `path` wrote, once it has; 0 when it never did.
inline int PlayerPid(const QString& path) {
    int pid = 0;
    WaitFor([&] { return static_cast<bool>(std::ifstream((path + ".pid").toStdString()) >> pid); });
    return pid;
}

// No such process, or one that has ended and waits to be collected.
inline bool ProcessGone(int pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
}

} // namespace tav::test
