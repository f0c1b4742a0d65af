#pragma once

#include "tests/support/LoopbackServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace tav::test {

// A real TLS server on 127.0.0.1: `openssl s_server` with a certificate made when it
// starts, in `dir`: one that signs itself, or one that an authority of its own (AuthorityFile)
// signed for the address 127.0.0.1. Ready() is false when openssl is missing or never
// listened. The first client to connect is sent `sends`, in records of 3000 bytes (blocks
// of 1024 end inside them), and the connection is closed after it.
class TlsPeer {
public:
    enum class Certificate { SelfSigned, SignedByAuthority };

    explicit TlsPeer(const std::filesystem::path& dir, std::string_view sends = {},
                     Certificate kind = Certificate::SelfSigned)
        : authority_((dir / "authority.crt").string()) {
        const std::string cert = (dir / "peer.crt").string(), key = (dir / "peer.key").string();
        const std::string input = (dir / "peer.in").string();
        if (!(std::ofstream(input, std::ios::binary) << sends)) return;
        if (kind == Certificate::SelfSigned) {
            if (Run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                     "-subj", "/CN=localhost", "-keyout", key, "-out", cert}) != 0)
                return;
        } else {
            const std::string authorityKey = (dir / "authority.key").string();
            const std::string request = (dir / "peer.csr").string();
            const std::string names = (dir / "peer.ext").string();
            // Closed before openssl reads it.
            if (!(std::ofstream(names) << "subjectAltName=IP:127.0.0.1\n")) return;
            if (Run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                     "-subj", "/CN=Test Authority", "-keyout", authorityKey, "-out", authority_}) !=
                    0 ||
                Run({"openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1",
                     "-keyout", key, "-out", request}) != 0 ||
                Run({"openssl", "x509", "-req", "-in", request, "-CA", authority_, "-CAkey",
                     authorityKey, "-CAcreateserial", "-days", "1", "-extfile", names, "-out",
                     cert}) != 0)
                return;
        }
        port_ = ClosedPort().Port(); // free again for openssl, in the range no client takes
        pid_ = Spawn({"openssl", "s_server", "-quiet", "-max_send_frag", "3000", "-accept",
                      "127.0.0.1:" + std::to_string(port_), "-cert", cert, "-key", key},
                     sends.empty() ? nullptr : input.c_str());
        for (int k = 0; k < 100 && pid_ > 0 && !ready_; ++k) {
            ready_ = Listening();
            if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~TlsPeer() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    TlsPeer(const TlsPeer&) = delete;
    TlsPeer& operator=(const TlsPeer&) = delete;

    bool Ready() const { return ready_; }
    int Port() const { return port_; }
    // The authority's certificate (SignedByAuthority only).
    const std::string& AuthorityFile() const { return authority_; }

private:
    static pid_t Spawn(const std::vector<std::string>& args, const char* input = nullptr) {
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (input) posix_spawn_file_actions_addopen(&actions, 0, input, O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    static int Run(const std::vector<std::string>& args) {
        const pid_t pid = Spawn(args);
        int status = -1;
        if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Listening, read from the kernel's table so that no probe connection uses up the
    // server's first accept. The listening socket must be openssl's own: another process
    // (a test running alongside) may have taken the port between its release and openssl's
    // bind, and openssl then gave up.
    bool Listening() const {
        FILE* table = std::fopen("/proc/net/tcp", "r");
        if (!table) return false;
        char line[512];
        bool found = false;
        while (!found && std::fgets(line, sizeof line, table)) {
            char local[64] = {};
            unsigned state = 0;
            unsigned long inode = 0;
            if (std::sscanf(line, " %*s %63s %*s %x %*s %*s %*s %*s %*s %lu", local, &state,
                            &inode) != 3)
                continue;
            const char* colon = std::strchr(local, ':');
            found = colon != nullptr &&
                    std::strtoul(colon + 1, nullptr, 16) == static_cast<unsigned long>(port_) &&
                    state == 0x0A && OwnsSocket(inode); // 0x0A: LISTEN
        }
        std::fclose(table);
        return found;
    }
    bool OwnsSocket(unsigned long inode) const {
        const std::string wanted = "socket:[" + std::to_string(inode) + "]";
        std::error_code ec;
        std::filesystem::directory_iterator fd("/proc/" + std::to_string(pid_) + "/fd", ec);
        for (; !ec && fd != std::filesystem::directory_iterator(); fd.increment(ec)) {
            std::error_code linkError;
            if (std::filesystem::read_symlink(fd->path(), linkError).string() == wanted)
                return true;
        }
        return false;
    }

    std::string authority_;
    pid_t pid_ = -1;
    int port_ = 0;
    bool ready_ = false;
};

} // namespace tav::test
