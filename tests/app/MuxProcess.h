#pragma once

#include "AppTestSupport.h"

// Real peers, each a child process in a scratch directory: the bundled demo world,
// TinyMUX (Debian's tinymux), stunnel in front of it, and a relay that records both
// directions of what passes between the client and the game. Every wait is bounded; each
// process ends with its object, so a failed assertion leaves none behind.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <sys/prctl.h>

#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <random>

namespace tav::test {

// True when a socket listens on `port`, from the kernel's own table, so that asking does
// not open a connection the peer would log.
inline bool Listening(int port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return false;
    const QByteArray local = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n'))
        if (line.contains(local + ' ') && line.contains(" 0A ")) return true; // 0A: LISTEN
    return false;
}

// A port below the client's limit of 32000 (and so below the range the system hands out
// by itself) that nothing listens on yet.
inline int UnusedPort() {
    static std::mt19937 random(std::random_device{}());
    for (;;) {
        const int port = std::uniform_int_distribution<int>(10000, 31990)(random);
        if (!Listening(port)) return port;
    }
}

// The path of a program the tests need, or empty where it is not installed.
inline QString Program(const QString& name) {
    if (name.startsWith('/')) return QFileInfo(name).isExecutable() ? name : QString();
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin"}) : found;
}

// One child process whose output goes to a file; terminated (then killed) when the object
// ends, and sent SIGTERM by the system should the test process die first.
class ChildProcess {
public:
    ~ChildProcess() { Stop(); }
    void Start(const QString& program, const QStringList& args, const QString& dir,
               const QString& outputFile, const QStringList& environment = {}) {
        Stop();
        process_ = std::make_unique<QProcess>();
        process_->setWorkingDirectory(dir);
        process_->setProcessChannelMode(QProcess::MergedChannels);
        process_->setStandardOutputFile(outputFile, QIODevice::Append);
        QStringList env = QProcess::systemEnvironment();
        env << environment;
        process_->setEnvironment(env);
        // Ended with the test even when a signal ends the test before its destructors run.
        process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_->start(program, args);
        process_->waitForStarted(10000);
    }
    bool Running() const { return process_ && process_->state() == QProcess::Running; }
    // Waits, boundedly, until the process listens on `port`; false when it ended first.
    bool WaitListening(int port, int ms = 30000) {
        for (int waited = 0; waited < ms; waited += 50) {
            if (Listening(port)) return true;
            if (!Running()) return false;
            process_->waitForFinished(50);
        }
        return false;
    }
    void Stop() {
        if (!process_) return;
        if (process_->state() != QProcess::NotRunning) {
            process_->terminate();
            if (!process_->waitForFinished(10000)) {
                process_->kill();
                process_->waitForFinished(5000);
            }
        }
        process_.reset();
    }

private:
    std::unique_ptr<QProcess> process_;
};

// Starts a process on a fresh port until one listens, a few ports at most; the port, or 0.
inline int StartListening(ChildProcess& child, const std::function<void(int port)>& start) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int port = UnusedPort();
        start(port);
        if (child.WaitListening(port)) return port;
        child.Stop();
    }
    return 0;
}

// Runs a short command to its end (bounded); its output, or nothing when it failed.
inline std::optional<QByteArray> RunCommand(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return process.readAll();
}

// A self-signed certificate for "localhost" in `dir` as `name`.pem with its key in
// `name`.key; its SHA-256 fingerprint ("AB:CD:..."), or empty when openssl failed.
inline QString MakeCertificate(const QString& dir, const QString& name) {
    const QString cert = dir + "/" + name + ".pem", key = dir + "/" + name + ".key";
    if (!RunCommand(Program("openssl"), {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                                         "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key,
                                         "-out", cert, "-days", "2", "-subj", "/CN=localhost"}))
        return {};
    const auto out =
        RunCommand(Program("openssl"), {"x509", "-noout", "-fingerprint", "-sha256", "-in", cert});
    if (!out || !out->contains('=')) return {};
    return QString::fromLatin1(out->mid(out->indexOf('=') + 1).trimmed());
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A TinyMUX game of its own under `dir`, listening on 127.0.0.1.
class TinyMux {
public:
    static bool Installed() { return !Program("/usr/games/tinymux-install").isEmpty(); }
    bool Start(const QString& dir) {
        if (!RunCommand("/bin/sh", {"-c", "cd \"$0\" && /usr/games/tinymux-install", dir}))
            return false;
        game_ = dir + "/tinymux/game";
        QDir(game_).mkpath("logs");
        const QByteArray conf = ReadAll(game_ + "/netmux.conf");
        port_ = StartListening(netmux_, [&](int port) {
            const QByteArray address =
                "\nport " + QByteArray::number(port) + "\nip_address 127.0.0.1\n";
            if (!WriteBytes(game_ + "/netmux.conf", conf + address)) return;
            netmux_.Start(game_ + "/bin/netmux",
                          {"-c", "netmux.conf", "-p", "netmux.pid", "-e", "logs"}, game_,
                          game_ + "/netmux.out", {"LD_LIBRARY_PATH=" + game_ + "/bin"});
        });
        return port_ != 0;
    }
    int Port() const { return port_; }
    // The game's log so far ("Connected to Wizard(#1)" for each login).
    QString Log() const {
        QString text;
        for (const QFileInfo& file : QDir(game_ + "/logs").entryInfoList({"*.log"}, QDir::Files))
            text += QString::fromUtf8(ReadAll(file.filePath()));
        return text;
    }

private:
    ChildProcess netmux_;
    QString game_;
    int port_ = 0;
};

// stunnel on 127.0.0.1 taking TLS and passing the plain text on to a local port.
class Stunnel {
public:
    // Listens on a fresh port; Restart uses the same one again.
    bool Start(const QString& dir, int target, const QString& certificate) {
        dir_ = dir;
        target_ = target;
        port_ = StartListening(process_, [&](int port) { Run(port, certificate); });
        return port_ != 0;
    }
    bool Restart(const QString& certificate) {
        process_.Stop();
        Run(port_, certificate);
        return process_.WaitListening(port_);
    }
    int Port() const { return port_; }
    QString Log() const { return QString::fromUtf8(ReadAll(dir_ + "/stunnel.log")); }

private:
    void Run(int port, const QString& certificate) {
        const QString conf = dir_ + "/stunnel.conf";
        const QString text =
            QStringLiteral("foreground = yes\npid =\noutput = %1/stunnel.log\ndebug = 7\n"
                           "[game]\naccept = 127.0.0.1:%2\nconnect = 127.0.0.1:%3\n"
                           "cert = %4/%5.pem\nkey = %4/%5.key\n")
                .arg(dir_)
                .arg(port)
                .arg(target_)
                .arg(dir_, certificate);
        if (!WriteBytes(conf, text.toUtf8())) return;
        process_.Start(Program("stunnel4"), {conf}, dir_, dir_ + "/stunnel.out");
    }

    ChildProcess process_;
    QString dir_;
    int target_ = 0;
    int port_ = 0;
};

// A relay between the client and a local port that records each direction in a file of
// its own, unbuffered, so that the files always hold everything relayed so far.
class RecordingRelay {
public:
    bool Start(const QString& dir, int target) {
        dir_ = dir;
        static const char* const kRelay = R"(
import socket, sys, threading
port, target, folder = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]

def pump(source, sink, name):
    with open(folder + name, "ab", buffering=0) as file:
        try:
            while data := source.recv(4096):
                file.write(data)
                sink.sendall(data)
        except OSError:  # reset: the client closed with the game's text unread
            pass
    for end in (source, sink):  # either end closing closes the other
        try:
            end.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

server = socket.create_server(("127.0.0.1", port))
while True:
    client, _ = server.accept()
    game = socket.create_connection(("127.0.0.1", target))
    threading.Thread(target=pump, args=(client, game, "/from-client.bin")).start()
    threading.Thread(target=pump, args=(game, client, "/from-game.bin")).start()
)";
        port_ = StartListening(process_, [&](int port) {
            process_.Start(Program("python3"),
                           {"-c", kRelay, QString::number(port), QString::number(target), dir}, dir,
                           dir + "/relay.out");
        });
        return port_ != 0;
    }
    int Port() const { return port_; }
    void Stop() { process_.Stop(); }
    QByteArray FromClient() const { return ReadAll(dir_ + "/from-client.bin"); }
    QByteArray FromGame() const { return ReadAll(dir_ + "/from-game.bin"); }

private:
    ChildProcess process_;
    QString dir_;
    int port_ = 0;
};

// The bundled demo world (tools/demo-world) on the loopback, with every frame it sends and
// receives in its log ("received msg_post", "send bindex_reply").
class DemoWorld {
public:
    bool Start(const QString& dir) {
        const QString script = qEnvironmentVariable("TAV_SOURCE_DIR") + "/tools/demo-world";
        log_ = dir + "/world.log";
        // The world listens on its text port, then on the client port one above: the
        // client port listening means both do.
        const int clientPort = StartListening(process_, [&](int port) {
            process_.Start(Program("python3"),
                           {script + "/demo_world.py", "--port", QString::number(port - 1), "-v",
                            "--chatter-seconds", "2", "--clock-seconds", "2"},
                           dir, log_);
        });
        port_ = clientPort - 1;
        return clientPort != 0;
    }
    int Port() const { return port_; }
    QString Log() const { return QString::fromLatin1(ReadAll(log_)); }
    // How often the world logged `line` so far ("received edit_reply").
    int Count(const QString& line) const { return Log().count(line); }

private:
    ChildProcess process_;
    QString log_;
    int port_ = 0;
};

} // namespace tav::test
