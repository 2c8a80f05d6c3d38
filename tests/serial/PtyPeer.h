// Test fixtures: the far end of a pseudo-terminal standing in for a unit's wire, and a scratch directory.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/support/ScratchFolder.h"

namespace kelvane::serial::testing {

// The master side of a fresh pseudo-terminal; the code under test opens Path() as its port.
class PtyPeer {
  public:
    PtyPeer() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            char name[PATH_MAX];
            if (::ptsname_r(master_, name, sizeof name) == 0) path_ = name;
        }
    }
    ~PtyPeer() { Close(); }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool Ok() const { return master_ >= 0 && !path_.empty(); }
    const std::string& Path() const { return path_; }
    int MasterFd() const { return master_; }

    // What the unit sends down the wire.
    void Send(std::string_view bytes) {
        while (!bytes.empty()) {
            ssize_t written = ::write(master_, bytes.data(), bytes.size());
            if (written <= 0) return;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    // What the port wrote, waiting at most limitMs for the first byte.
    std::string Received(int limitMs) {
        std::string bytes;
        pollfd waiting{master_, POLLIN, 0};
        while (::poll(&waiting, 1, bytes.empty() ? limitMs : 0) > 0 && (waiting.revents & POLLIN)) {
            char chunk[64];
            ssize_t got = ::read(master_, chunk, sizeof chunk);
            if (got <= 0) break;
            bytes.append(chunk, static_cast<std::size_t>(got));
        }
        return bytes;
    }

    // Pulls the plug.
    void Close() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

  private:
    int master_ = -1;
    std::string path_;
};

// A folder of its own for one test.
using ScratchDir = kelvane::testing::ScratchFolder;

}  // namespace kelvane::serial::testing
