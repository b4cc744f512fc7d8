// A PostgreSQL server of the test program's own: initdb in a temporary folder, a free port on
// 127.0.0.1, trust authentication, run as the user postgres when the tests run as root (the
// server refuses root). Started once per test program; the tests skip, saying why, when the
// server programs are not installed.
#pragma once

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

class PostgresServer {
public:
    // Empty when the server can be had; otherwise why not.
    const std::string& unavailable() const { return unavailable_; }

    PostgresServer() {
        bin_ = ServerBin();
        if (bin_.empty()) {
            unavailable_ = "the PostgreSQL server programs are not installed (/usr/lib/postgresql/*/bin/initdb; "
                           "scripts/install-deps.sh test installs them)";
            return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "kd4410-pg-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            unavailable_ = "cannot make a temporary folder";
            return;
        }
        folder_ = pattern;
        if (geteuid() == 0) {
            const passwd* postgres = getpwnam("postgres");
            if (postgres == nullptr) {
                unavailable_ = "running as root and there is no user postgres to run the server as";
                return;
            }
            asUser_ = "runuser -u postgres -- ";
            std::filesystem::permissions(folder_, std::filesystem::perms::owner_all |
                                                      std::filesystem::perms::group_read |
                                                      std::filesystem::perms::group_exec |
                                                      std::filesystem::perms::others_read |
                                                      std::filesystem::perms::others_exec);
            if (chown(folder_.c_str(), postgres->pw_uid, postgres->pw_gid) != 0) {
                unavailable_ = "cannot hand the server's folder to the user postgres";
                return;
            }
        }
        port_ = FreePort();
        if (!Shell(bin_ + "/initdb -D " + folder_ + "/data -A trust -U postgres --no-sync > " + folder_ +
                   "/initdb.log 2>&1")) {
            unavailable_ = "initdb failed; see " + folder_ + "/initdb.log";
            return;
        }
        if (!Start()) unavailable_ = "the server did not start; see " + folder_ + "/log";
    }

    ~PostgresServer() {
        if (started_) Stop();
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }

    bool Start() {
        started_ = Shell(bin_ + "/pg_ctl -D " + folder_ + "/data -l " + folder_ + "/log -o \"-p " +
                         std::to_string(port_) + " -k " + folder_ + " -c listen_addresses=127.0.0.1 -c fsync=off\"" +
                         " -w start > /dev/null 2>&1");
        return started_;
    }
    bool Stop() {
        const bool stopped = Shell(bin_ + "/pg_ctl -D " + folder_ + "/data -m fast -w stop > /dev/null 2>&1");
        started_ = !stopped;
        return stopped;
    }

    std::string Url(const std::string& database) const {
        return "postgresql://postgres@127.0.0.1:" + std::to_string(port_) + "/" + database;
    }
    // A URL at which nothing listens.
    std::string DeadUrl() const { return "postgresql://postgres@127.0.0.1:" + std::to_string(FreePort()) + "/none"; }

private:
    static std::string ServerBin() {
        std::string best;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
            const std::string bin = entry.path().string() + "/bin";
            if (std::filesystem::exists(bin + "/initdb") && std::filesystem::exists(bin + "/pg_ctl") && bin > best)
                best = bin;
        }
        return best;
    }
    static int FreePort() {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        close(s);
        return port;
    }
    bool Shell(const std::string& command) const { return std::system((asUser_ + command).c_str()) == 0; }

    std::string bin_, folder_, asUser_, unavailable_;
    int port_ = 0;
    bool started_ = false;
};

}  // namespace testsupport
