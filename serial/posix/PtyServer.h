// Serves a simulated unit on a pseudo-terminal: a client opens DevicePath() like a real serial port and
// every byte it sends is handed to the handler, whose answer is written back with the unit's timing.
// The server runs on a thread of its own; the handler is called on that thread only.
//
// The server keeps the terminal side open itself, so a client that closes the port and opens it again
// finds the unit still there. Stop() (or destruction) closes both sides: an open client then sees the
// device go away, as with an unplugged adapter.
//
// Because of that hold, the terminal outlives its clients, and so does a client's exclusive-use mark
// (TIOCEXCL). PosixSerialLine takes it off when it closes; a client that crashes or is killed leaves it
// set, and until the server is restarted only the superuser can open the device again.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "serial/AnswerScheduler.h"

namespace kelvane::serial {

struct PtyServerOptions {
    ServeTiming Timing;
    std::string LinkPath;  // when set, a symbolic link to the device, made at start and removed at stop
};

class PtyServer {
  public:
    // Null on failure, with the reason in *why.
    static std::unique_ptr<PtyServer> Start(AnswerScheduler::Handler handler, const PtyServerOptions& options,
                                            std::string* why);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Ends serving and closes the terminal; returns once the thread has ended. Safe to call twice, and
    // from any thread but the handler's.
    void Stop();

    const std::string& DevicePath() const { return devicePath_; }
    const std::string& LinkPath() const { return linkPath_; }

    // Waits until at least this many answer bytes in all have been written to the terminal; false when
    // the limit passed first or the server stopped.
    bool WaitUntilSent(std::size_t bytes, std::chrono::milliseconds limit) const;

  private:
    PtyServer(AnswerScheduler::Handler handler, ServeTiming timing);
    void Serve();
    void CountSent(std::size_t bytes);

    AnswerScheduler scheduler_;
    int master_ = -1;
    int terminal_ = -1;  // our own hold on the client's side
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::string devicePath_;
    std::string linkPath_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::mutex stopMutex_;

    mutable std::mutex sentMutex_;
    mutable std::condition_variable sentChanged_;
    std::size_t bytesSent_ = 0;
    bool ended_ = false;
};

}  // namespace kelvane::serial
