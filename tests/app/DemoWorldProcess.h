#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <cstdlib>
#include <memory>
#include <random>

namespace tav::test {

// The bundled demo world (tools/demo-world) as a real child process on the loopback, with
// every frame it sends and receives in its log ("received msg_post", "send bindex_reply").
class DemoWorldProcess {
public:
    // Starts it on a pair of ports below the client's limit of 32000 (and so below the
    // range the system hands out by itself), another pair while the world finds one taken;
    // false (with the reason in Error()) when it cannot run here.
    bool Start() {
        const char* root = std::getenv("TAV_SOURCE_DIR");
        if (root == nullptr) return Fail("TAV_SOURCE_DIR is not set");
        const QString script = QString::fromLocal8Bit(root) + "/tools/demo-world/demo_world.py";
        std::mt19937 random(std::random_device{}());
        for (int attempt = 0; attempt < 10; ++attempt) {
            port_ = std::uniform_int_distribution<int>(10000, 31990)(random);
            process_ = std::make_unique<QProcess>();
            process_->start("python3", {script, "--port", QString::number(port_), "-v",
                                        "--chatter-seconds", "2", "--clock-seconds", "2"});
            if (!process_->waitForStarted(5000)) return Fail("python3 does not start");
            // The world prints its ports once it listens; it ends at once when a port is
            // taken. On a loaded machine Python can take many seconds to get there, and the
            // line may arrive in pieces.
            QByteArray output;
            while (process_->waitForReadyRead(20000)) {
                output += process_->readAllStandardOutput();
                if (output.contains("demo world: text port")) return true;
            }
            process_->kill();
            process_->waitForFinished(2000);
        }
        return Fail("the demo world never listened: " + Log());
    }
    ~DemoWorldProcess() {
        if (!process_) return;
        process_->terminate();
        if (!process_->waitForFinished(5000)) {
            process_->kill();
            process_->waitForFinished(2000);
        }
    }

    int Port() const { return port_; }
    QString Error() const { return error_; }
    // Everything the world has logged so far.
    QString Log() {
        if (process_) log_ += QString::fromLatin1(process_->readAllStandardError());
        return log_;
    }
    // How often the world logged `line` so far ("received edit_reply").
    int Count(const QString& line) { return Log().count(line); }

private:
    bool Fail(const QString& why) {
        error_ = why;
        return false;
    }
    std::unique_ptr<QProcess> process_;
    QString log_;
    QString error_;
    int port_ = 0;
};

} // namespace tav::test
