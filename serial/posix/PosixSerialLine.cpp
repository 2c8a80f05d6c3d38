#include "serial/posix/PosixSerialLine.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <utility>

#include "serial/posix/PosixSupport.h"

namespace kelvane::serial {

namespace {

using Clock = std::chrono::steady_clock;
using posix::SystemReason;
using posix::WaitMsUntil;

// A single-byte write that cannot get out within this time means the port is stuck; nothing else
// bounds it, since writes carry no time-out of their own.
constexpr auto kWriteLimit = std::chrono::milliseconds(2000);

// The ways a terminal tells that it is gone: a hung-up line, an unplugged USB adapter, a closed
// pseudo-terminal master.
bool IsRemoval(int err) {
    return err == EIO || err == ENXIO || err == ENODEV;
}

std::string GroupName(gid_t gid) {
    // getgrgid_r with a buffer of its own size: this may run on the worker and the window thread.
    long size = sysconf(_SC_GETGR_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 4096, '\0');
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return {};
    return found->gr_name;
}

// The exclusive mark belongs to the terminal, not to our descriptor: where the other side stays open
// (a pseudo-terminal whose server keeps it) it outlives the close, and every later open by anyone but
// the superuser fails with EBUSY.
int CloseReleasingExclusive(int fd) {
    ::ioctl(fd, TIOCNXCL);
    return ::close(fd);
}

}  // namespace

std::string DescribeOpenFailure(const std::string& devicePath, int err, bool isCharacterDevice,
                                const std::string& deviceGroup) {
    std::string message = devicePath + ": " + SystemReason(err);
    if ((err == EACCES || err == EPERM) && isCharacterDevice) {
        message += " (add your user to the " + (deviceGroup.empty() ? std::string("dialout") : deviceGroup) +
                   " group and log in again)";
    } else if (err == EBUSY) {
        message += " (another program has the port open)";
    }
    return message;
}

std::unique_ptr<PosixSerialLine> PosixSerialLine::Open(const std::string& devicePath, std::string* why) {
    auto refuse = [&](std::string reason) -> std::unique_ptr<PosixSerialLine> {
        if (why) *why = std::move(reason);
        return nullptr;
    };

    // Non-blocking so that the open does not wait for carrier; the line is read through poll() anyway.
    int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        struct stat info {};
        bool isCharacterDevice = ::stat(devicePath.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
        return refuse(DescribeOpenFailure(devicePath, err, isCharacterDevice,
                                          isCharacterDevice ? GroupName(info.st_gid) : std::string()));
    }
    auto refuseAndClose = [&](std::string reason) {
        CloseReleasingExclusive(fd);
        return refuse(std::move(reason));
    };

    if (!::isatty(fd)) return refuseAndClose(devicePath + ": not a serial device");
    // The unit's port is not to be shared: a second program on it would eat the answers.
    if (::ioctl(fd, TIOCEXCL) != 0) return refuseAndClose(devicePath + ": " + SystemReason(errno));

    termios mode{};
    if (::tcgetattr(fd, &mode) != 0) return refuseAndClose(devicePath + ": " + SystemReason(errno));
    ::cfmakeraw(&mode);
    mode.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    mode.c_cflag |= CS8 | CLOCAL | CREAD;
    mode.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    mode.c_cc[VMIN] = 0;
    mode.c_cc[VTIME] = 0;
    ::cfsetispeed(&mode, B2400);
    ::cfsetospeed(&mode, B2400);
    if (::tcsetattr(fd, TCSANOW, &mode) != 0) {
        return refuseAndClose(devicePath + ": cannot set 2400 baud 8N1: " + SystemReason(errno));
    }
    // tcsetattr succeeds when any part of the request was taken, so check what the driver kept.
    termios applied{};
    if (::tcgetattr(fd, &applied) != 0 || ::cfgetospeed(&applied) != B2400 ||
        (applied.c_cflag & CSIZE) != CS8 || (applied.c_cflag & (PARENB | CSTOPB | CRTSCTS)) != 0) {
        return refuseAndClose(devicePath + ": the port does not accept 2400 baud 8N1");
    }
    ::tcflush(fd, TCIOFLUSH);
    return std::unique_ptr<PosixSerialLine>(new PosixSerialLine(fd, devicePath));
}

PosixSerialLine::PosixSerialLine(int fd, std::string devicePath)
    : fd_(fd), devicePath_(std::move(devicePath)) {}

PosixSerialLine::~PosixSerialLine() {
    if (fd_ >= 0) CloseReleasingExclusive(fd_);
}

void PosixSerialLine::Fail(std::string reason) {
    lastError_ = std::move(reason);
}

void PosixSerialLine::FailWithSystemError(const char* during, int err) {
    if (IsRemoval(err)) {
        Fail(kDeviceRemoved);
    } else {
        Fail(std::string(during) + ": " + SystemReason(err));
    }
}

bool PosixSerialLine::WriteByte(uint8_t byte) {
    if (fd_ < 0) {
        Fail("the port is not open");
        return false;
    }
    const auto giveUpAt = Clock::now() + kWriteLimit;
    for (;;) {
        ssize_t written = ::write(fd_, &byte, 1);
        if (written == 1) return true;
        int err = written < 0 ? errno : EAGAIN;
        if (err == EINTR) continue;
        if (err != EAGAIN && err != EWOULDBLOCK) {
            FailWithSystemError("write", err);
            return false;
        }
        auto now = Clock::now();
        if (now >= giveUpAt) {
            Fail("write: the port accepts no output");
            return false;
        }
        pollfd waiting{fd_, POLLOUT, 0};
        if (::poll(&waiting, 1, WaitMsUntil(giveUpAt, now)) > 0 && (waiting.revents & (POLLHUP | POLLERR))) {
            Fail(kDeviceRemoved);
            return false;
        }
    }
}

void PosixSerialLine::PurgeInput() {
    if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}

ReadResult PosixSerialLine::Read(uint8_t* buf, std::size_t k, bool stopAtLineEnd, bool afterCarriageReturn) {
    ReadResult result;
    if (fd_ < 0) {
        Fail("the port is not open");
        result.End = ReadEnd::Failed;
        return result;
    }
    if (k == 0) {
        result.End = ReadEnd::Count;
        return result;
    }

    const auto started = Clock::now();
    const uint64_t totalMs =
        uint64_t{timeouts_.ReadTotalConstantMs} + uint64_t{timeouts_.ReadTotalMultiplierMs} * k;
    std::optional<Clock::time_point> totalDeadline;
    if (totalMs > 0) totalDeadline = started + std::chrono::milliseconds(totalMs);
    const auto interval = std::chrono::milliseconds(timeouts_.ReadIntervalMs);

    Clock::time_point lastByteAt = started;
    bool previousWasCarriageReturn = afterCarriageReturn;
    for (;;) {
        std::optional<Clock::time_point> deadline = totalDeadline;
        ReadEnd endAtDeadline = ReadEnd::Total;
        if (timeouts_.ReadIntervalMs > 0 && result.Count > 0) {
            auto intervalDeadline = lastByteAt + interval;
            if (!deadline || intervalDeadline < *deadline) {
                deadline = intervalDeadline;
                endAtDeadline = ReadEnd::Interval;
            }
        }
        int waitMs = -1;
        if (deadline) {
            auto now = Clock::now();
            if (now >= *deadline) {
                result.End = endAtDeadline;
                return result;
            }
            waitMs = WaitMsUntil(*deadline, now);
        }

        pollfd waiting{fd_, POLLIN, 0};
        int ready = ::poll(&waiting, 1, waitMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            FailWithSystemError("poll", errno);
            result.End = ReadEnd::Failed;
            return result;
        }
        if (ready == 0) continue;
        if (waiting.revents & POLLNVAL) {
            Fail("the port is not open");
            result.End = ReadEnd::Failed;
            return result;
        }

        // One byte at a time: a byte past the line end must stay in the driver.
        bool anyByte = false;
        for (;;) {
            uint8_t byte = 0;
            ssize_t got = ::read(fd_, &byte, 1);
            if (got < 0) {
                int err = errno;
                if (err == EINTR) continue;
                if (err == EAGAIN || err == EWOULDBLOCK) break;
                FailWithSystemError("read", err);
                result.End = ReadEnd::Failed;
                return result;
            }
            // With VMIN and VTIME 0 a terminal answers 0 when it has nothing more.
            if (got == 0) break;
            anyByte = true;
            if (byte == 0) continue;  // discard-null: a zero byte never arrived
            buf[result.Count++] = byte;
            lastByteAt = Clock::now();
            if (result.Count == k) {
                result.End = ReadEnd::Count;
                return result;
            }
            if (stopAtLineEnd && byte == '\n' && previousWasCarriageReturn) {
                result.End = ReadEnd::LineEnd;
                return result;
            }
            previousWasCarriageReturn = byte == '\r';
        }
        if (!anyByte && (waiting.revents & (POLLHUP | POLLERR))) {
            Fail(kDeviceRemoved);
            result.End = ReadEnd::Failed;
            return result;
        }
    }
}

void PosixSerialLine::SetTimeouts(const Timeouts& timeouts) {
    timeouts_ = timeouts;
}

bool PosixSerialLine::Close() {
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    if (CloseReleasingExclusive(fd) != 0 && errno != EINTR) {
        FailWithSystemError("close", errno);
        return false;
    }
    return true;
}

std::string PosixSerialLine::LastError() const {
    return lastError_;
}

}  // namespace kelvane::serial
