// The serial line on a POSIX terminal device (a UART, a USB adapter or a pseudo-terminal), driven with
// termios and poll(). It realises the read rules of SerialLine on the monotonic clock and reads byte by
// byte, so whatever follows the end of an answer stays in the driver for the next purge.
//
// Thread-safety: one thread at a time, as every SerialLine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ups/SerialLine.h"

namespace kelvane::serial {

class PosixSerialLine final : public SerialLine {
  public:
    // Opens a device path (not a port name: see DevicePathForPort) without waiting for modem lines, takes
    // it exclusively and sets it raw at 2400 baud 8N1 without flow control. Null on failure, with the
    // system's reason in *why.
    static std::unique_ptr<PosixSerialLine> Open(const std::string& devicePath, std::string* why);

    ~PosixSerialLine() override;
    PosixSerialLine(const PosixSerialLine&) = delete;
    PosixSerialLine& operator=(const PosixSerialLine&) = delete;

    bool WriteByte(uint8_t byte) override;
    void PurgeInput() override;
    ReadResult Read(uint8_t* buf, std::size_t k, bool stopAtLineEnd, bool afterCarriageReturn) override;
    void SetTimeouts(const Timeouts& timeouts) override;
    bool Close() override;
    std::string LastError() const override;

    const std::string& DevicePath() const { return devicePath_; }

  private:
    PosixSerialLine(int fd, std::string devicePath);

    // The one place that records why something failed.
    void Fail(std::string reason);
    void FailWithSystemError(const char* during, int err);

    int fd_;
    std::string devicePath_;
    // Until the owner applies its own, a fresh line already has the link's time-outs, so a read can
    // never wait for ever.
    Timeouts timeouts_{600, 22, 60, 0, 0};
    std::string lastError_;
};

// The message for a failed open: the system's reason, and for a terminal device the step that mends a
// missing permission (deviceGroup is the group that owns the device; empty means the usual one).
std::string DescribeOpenFailure(const std::string& devicePath, int err, bool isCharacterDevice,
                                const std::string& deviceGroup);

// The message a read or write gives when the device went away under it.
inline constexpr const char* kDeviceRemoved = "device unexpectedly removed";

}  // namespace kelvane::serial
