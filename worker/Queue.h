// The first-in, first-out list through which the window hands user commands to the worker thread.
//
// Thread-safety: every operation takes the queue's own mutex for its whole duration, so the window thread
// may push while the worker reads the front and pops. front() hands out a copy, never a reference into an
// entry, because the entry may be popped or cleared as soon as the lock is released. The worker keeps an
// entry at the front while its command runs and pops it only afterwards, so the queue stays non-empty for
// the whole of a long command (a calibration loop, an EEPROM read).
#pragma once

#include <memory>
#include <mutex>
#include <optional>

namespace kelvane {

// One queued command: a one-character code and one argument byte ('+' or '-' for the stepping commands,
// '-' as a placeholder where the code takes none, 'z' for the factory reset).
struct QueuedCommand {
    char Code = 0;
    char Argument = '-';
    std::unique_ptr<QueuedCommand> Next;
};

// What front() returns: the code and argument of the oldest entry, detached from the list.
struct Command {
    char Code = 0;
    char Argument = '-';

    friend bool operator==(const Command&, const Command&) = default;
};

class Queue {
  public:
    Queue() = default;
    ~Queue();
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    // Appends after the newest entry. No capacity limit and no merging: five clicks are five entries.
    void push(char code, char argument);

    // The oldest entry, left in place; empty when there is none. The worker only asks after isEmpty()
    // said false, but an empty answer keeps a caller that races a clear() from reading freed memory.
    std::optional<Command> front() const;

    bool isEmpty() const;

    // Removes the oldest entry; does nothing on an empty queue.
    void pop();

    // Removes every entry; does nothing on an empty queue.
    void clear();

  private:
    void PopLocked();

    mutable std::mutex Lock;
    std::unique_ptr<QueuedCommand> Head;
    QueuedCommand* Tail = nullptr;
};

}  // namespace kelvane
