// The handle of the unit's port. Like a system handle it is "none" before the first open (and again once
// the owner has closed it), "invalid" after a failed open, or open; unlike one it owns its line, so a
// closed port can neither be used nor closed a second time.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "ups/SerialLine.h"

namespace kelvane {

class PortHandle {
  public:
    enum class State : uint8_t { None, Invalid, Open };

    State GetState() const { return state_; }
    bool IsOpen() const { return state_ == State::Open; }

    // The open line, or null when the port is not open.
    SerialLine* Line() const { return line_.get(); }

    void Attach(std::unique_ptr<SerialLine> line) {
        line_ = std::move(line);
        state_ = line_ ? State::Open : State::Invalid;
    }

    void MarkInvalid() {
        line_.reset();
        state_ = State::Invalid;
    }

    // Hands the line over (null unless open) and leaves the handle at "none".
    std::unique_ptr<SerialLine> Release() {
        state_ = State::None;
        return std::move(line_);
    }

  private:
    State state_ = State::None;
    std::unique_ptr<SerialLine> line_;
};

}  // namespace kelvane
