#include "worker/Queue.h"

namespace kelvane {

// Entries own their successor, so letting Head go would free the list recursively, one stack frame per
// entry; a long queue is taken apart one entry at a time instead.
Queue::~Queue() {
    clear();
}

void Queue::push(char code, char argument) {
    auto entry = std::make_unique<QueuedCommand>();
    entry->Code = code;
    entry->Argument = argument;
    std::lock_guard guard(Lock);
    QueuedCommand* added = entry.get();
    if (Head == nullptr) {
        Head = std::move(entry);
    } else {
        Tail->Next = std::move(entry);
    }
    Tail = added;
}

std::optional<Command> Queue::front() const {
    std::lock_guard guard(Lock);
    if (Head == nullptr) return std::nullopt;
    return Command{Head->Code, Head->Argument};
}

bool Queue::isEmpty() const {
    std::lock_guard guard(Lock);
    return Head == nullptr;
}

void Queue::pop() {
    std::lock_guard guard(Lock);
    PopLocked();
}

void Queue::clear() {
    std::lock_guard guard(Lock);
    while (Head != nullptr) PopLocked();
}

void Queue::PopLocked() {
    if (Head == nullptr) return;
    Head = std::move(Head->Next);
    if (Head == nullptr) Tail = nullptr;
}

}  // namespace kelvane
