#include "serial/posix/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "serial/posix/PosixSupport.h"

namespace kelvane::serial {

namespace {

using Clock = AnswerScheduler::Clock;
using posix::SystemReason;

void CloseIfOpen(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// A link from an earlier run that was killed before it could clean up is replaced; anything that is
// not a symbolic link belongs to someone else and is left alone.
bool MakeLink(const std::string& linkPath, const std::string& target, std::string* why) {
    struct stat existing {};
    if (::lstat(linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            *why = linkPath + ": exists and is not a symbolic link";
            return false;
        }
        ::unlink(linkPath.c_str());
    }
    if (::symlink(target.c_str(), linkPath.c_str()) != 0) {
        *why = linkPath + ": " + SystemReason(errno);
        return false;
    }
    return true;
}

void RemoveLinkIfOurs(const std::string& linkPath, const std::string& target) {
    char pointsTo[PATH_MAX];
    ssize_t length = ::readlink(linkPath.c_str(), pointsTo, sizeof pointsTo);
    if (length > 0 && std::string(pointsTo, static_cast<std::size_t>(length)) == target) {
        ::unlink(linkPath.c_str());
    }
}

}  // namespace

PtyServer::PtyServer(AnswerScheduler::Handler handler, ServeTiming timing)
    : scheduler_(std::move(handler), timing) {}

std::unique_ptr<PtyServer> PtyServer::Start(AnswerScheduler::Handler handler, const PtyServerOptions& options,
                                            std::string* why) {
    std::string ignored;
    if (!why) why = &ignored;
    std::unique_ptr<PtyServer> server(new PtyServer(std::move(handler), options.Timing));
    auto fail = [&](const char* during) {
        *why = std::string(during) + ": " + SystemReason(errno);
        return nullptr;
    };

    server->master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (server->master_ < 0) return fail("cannot create a pseudo-terminal");
    if (::grantpt(server->master_) != 0 || ::unlockpt(server->master_) != 0) {
        return fail("cannot unlock the pseudo-terminal");
    }
    char name[PATH_MAX];
    if (::ptsname_r(server->master_, name, sizeof name) != 0) return fail("cannot name the pseudo-terminal");
    server->devicePath_ = name;

    server->terminal_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (server->terminal_ < 0) return fail("cannot open the pseudo-terminal");
    // Raw from the start: with echo on, the unit's answers would come back to it as commands, and with
    // the usual input processing a carriage return would reach the client as a line feed.
    termios mode{};
    if (::tcgetattr(server->terminal_, &mode) != 0) return fail("cannot configure the pseudo-terminal");
    ::cfmakeraw(&mode);
    mode.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&mode, B2400);
    ::cfsetospeed(&mode, B2400);
    if (::tcsetattr(server->terminal_, TCSANOW, &mode) != 0)
        return fail("cannot configure the pseudo-terminal");

    int flags = ::fcntl(server->master_, F_GETFL);
    if (flags < 0 || ::fcntl(server->master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        return fail("cannot configure the pseudo-terminal");
    }
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return fail("cannot create the stop signal");
    server->wakeRead_ = wake[0];
    server->wakeWrite_ = wake[1];

    if (!options.LinkPath.empty()) {
        if (!MakeLink(options.LinkPath, server->devicePath_, why)) return nullptr;
        server->linkPath_ = options.LinkPath;
    }
    server->thread_ = std::thread(&PtyServer::Serve, server.get());
    return server;
}

PtyServer::~PtyServer() {
    Stop();
}

void PtyServer::Stop() {
    std::lock_guard<std::mutex> lock(stopMutex_);
    if (thread_.joinable()) {
        stopping_ = true;
        char wake = 1;
        // Cannot fail for want of room: the stop is the only byte ever written into the pipe.
        [[maybe_unused]] ssize_t written = ::write(wakeWrite_, &wake, 1);
        thread_.join();
    }
    // The master goes first: that hangs up any client, as an unplugged adapter would.
    CloseIfOpen(master_);
    CloseIfOpen(terminal_);
    CloseIfOpen(wakeRead_);
    CloseIfOpen(wakeWrite_);
    if (!linkPath_.empty()) RemoveLinkIfOurs(linkPath_, devicePath_);
    {
        std::lock_guard<std::mutex> sentLock(sentMutex_);
        ended_ = true;
    }
    sentChanged_.notify_all();
}

bool PtyServer::WaitUntilSent(std::size_t bytes, std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> lock(sentMutex_);
    sentChanged_.wait_for(lock, limit, [&] { return bytesSent_ >= bytes || ended_; });
    return bytesSent_ >= bytes;
}

void PtyServer::CountSent(std::size_t bytes) {
    {
        std::lock_guard<std::mutex> lock(sentMutex_);
        bytesSent_ += bytes;
    }
    sentChanged_.notify_all();
}

void PtyServer::Serve() {
    std::string outbound;
    uint8_t received[256];
    // After a failure on the master, wait this long before trying again rather than spin.
    constexpr int kBackOffMs = 50;
    int backOffMs = -1;

    while (!stopping_) {
        outbound += scheduler_.TakeDue(Clock::now());
        while (!outbound.empty()) {
            ssize_t written = ::write(master_, outbound.data(), outbound.size());
            if (written > 0) {
                outbound.erase(0, static_cast<std::size_t>(written));
                CountSent(static_cast<std::size_t>(written));
                continue;
            }
            if (written < 0 && errno == EINTR) continue;
            // No room on the client's side: wait for it. Anything else cannot be delivered at all.
            if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) outbound.clear();
            break;
        }

        int waitMs = -1;
        if (auto due = scheduler_.NextDue()) waitMs = posix::WaitMsUntil(*due, Clock::now());
        if (backOffMs >= 0) waitMs = waitMs < 0 ? backOffMs : std::min(waitMs, backOffMs);
        // While backing off the master is left out of the poll: a hang-up would wake it at once.
        int watchedMaster = backOffMs >= 0 ? -1 : master_;
        short masterEvents = static_cast<short>(POLLIN | (outbound.empty() ? 0 : POLLOUT));
        backOffMs = -1;
        pollfd watched[2] = {{watchedMaster, masterEvents, 0}, {wakeRead_, POLLIN, 0}};
        int ready = ::poll(watched, 2, waitMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (watched[1].revents != 0) break;
        if (watched[0].revents & POLLIN) {
            ssize_t got = ::read(master_, received, sizeof received);
            auto at = Clock::now();
            for (ssize_t i = 0; i < got; ++i) scheduler_.Receive(received[i], at);
            if (got < 0 && errno != EAGAIN && errno != EINTR) backOffMs = kBackOffMs;
        } else if (watched[0].revents & (POLLHUP | POLLERR)) {
            backOffMs = kBackOffMs;
        }
    }
    std::lock_guard<std::mutex> lock(sentMutex_);
    ended_ = true;
    sentChanged_.notify_all();
}

}  // namespace kelvane::serial
