// The abstract serial line that UpsLink talks through. A backend (termios today, Win32 later, an
// in-process simulated unit in the tests) realises these operations with the link's time-out rules.
//
// Thread-safety: a line is driven by one thread at a time; it has no lock of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kelvane {

// The port's time-out record, in milliseconds. A read of k bytes ends when k bytes have arrived, when
// more than IntervalMs pass between two received bytes (only counted once the first byte is in), or when
// TotalConstantMs + TotalMultiplierMs * k have passed since the read began, whichever comes first.
// Zero in a field means "no such time-out". Writes never time out.
struct Timeouts {
    uint32_t ReadIntervalMs = 0;
    uint32_t ReadTotalMultiplierMs = 0;
    uint32_t ReadTotalConstantMs = 0;
    uint32_t WriteTotalMultiplierMs = 0;
    uint32_t WriteTotalConstantMs = 0;
};

// Why a read ended.
enum class ReadEnd {
    Count,     // all k bytes arrived
    LineEnd,   // early completion: a line feed that follows a carriage return arrived
    Interval,  // the gap between two bytes exceeded the interval time-out
    Total,     // the total time-out passed
    Failed,    // the device failed (unplugged adapter, I/O error); see SerialLine::LastError
};

struct ReadResult {
    std::size_t Count = 0;
    ReadEnd End = ReadEnd::Total;
};

class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Sends one byte. Returns false when the device refused it (the link layer ignores the result, as
    // it does on every platform; a failed device shows up as missing answers).
    virtual bool WriteByte(uint8_t byte) = 0;

    // Discards everything received and not yet read.
    virtual void PurgeInput() = 0;

    // Reads up to k bytes into buf by the time-out rules. Received zero bytes are dropped by the line
    // (the discard-null option) and never reach buf. With stopAtLineEnd the read also ends as soon as a
    // line feed arrives that directly follows a carriage return; afterCarriageReturn says that the last
    // byte of the previous read was a carriage return, so a line feed arriving first ends this read.
    virtual ReadResult Read(uint8_t* buf, std::size_t k, bool stopAtLineEnd, bool afterCarriageReturn) = 0;

    // Applies a new time-out record to the line.
    virtual void SetTimeouts(const Timeouts& timeouts) = 0;

    // Closes the device. Returns false when the system reported a failure; the line is unusable either way.
    virtual bool Close() = 0;

    // The system's reason for the last failure (open, read, close), empty when there was none.
    virtual std::string LastError() const = 0;
};

// Opens a line by port name; on failure returns null and puts the system's reason into *why.
using LineOpener = std::function<std::unique_ptr<SerialLine>(const std::string& portName, std::string* why)>;

}  // namespace kelvane
