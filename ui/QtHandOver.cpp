#include "ui/QtHandOver.h"

#include <QObject>
#include <QThread>

namespace kelvane {

struct QtHandOver::Call {
    bool Finished = false;
};

QtHandOver::QtHandOver(std::function<void()> beforeEach)
    : windowThread_(std::make_unique<QObject>()), beforeEach_(std::move(beforeEach)) {}

QtHandOver::~QtHandOver() {
    Close();
}

void QtHandOver::Run(const std::function<void()>& work) {
    if (QThread::currentThread() == windowThread_->thread()) {
        if (beforeEach_) beforeEach_();
        work();
        return;
    }
    auto call = std::make_shared<Call>();
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
    }
    QMetaObject::invokeMethod(
        windowThread_.get(),
        [this, call, &work] {
            {
                // Once closed, the worker may have left Run, and `work` with it.
                std::lock_guard lock(mutex_);
                if (closed_) return;
            }
            if (beforeEach_) beforeEach_();
            work();
            {
                std::lock_guard lock(mutex_);
                call->Finished = true;
            }
            finished_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return call->Finished || closed_; });
}

void QtHandOver::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    finished_.notify_all();
}

}  // namespace kelvane
