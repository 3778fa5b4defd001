// Messages between threads: PostMessage queues a message for the window's
// thread; SendMessage from another thread queues it and waits for the result.
// One queue serves both, so a thread's messages run in the order it sent or
// posted them.
#include "platform/ui/wnd.h"

#include "platform/ui/thread_handoff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <mutex>

namespace {

// Where a sender waits for the result of its message.
struct Reply {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    LRESULT result = 0;

    void Give(LRESULT value) {
        std::lock_guard<std::mutex> lock(mutex);
        if (done)
            return;
        result = value;
        done = true;
        answered.notify_all();
    }
    LRESULT Wait() {
        std::unique_lock<std::mutex> lock(mutex);
        answered.wait(lock, [this] { return done; });
        return result;
    }
};

} // namespace

// A message on its way to the window's thread. A message that never runs (its
// window was deleted first) still answers its sender, with 0.
struct CWnd::MessageEvent : QEvent {
    MessageEvent(UINT message, WPARAM wParam, LPARAM lParam, std::shared_ptr<Reply> reply)
        : QEvent(static_cast<QEvent::Type>(MessageEventType())), message(message), wParam(wParam), lParam(lParam),
          reply(std::move(reply)) {}
    ~MessageEvent() override {
        HandOffAcquire(this);
        if (reply)
            reply->Give(0);
    }
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<Reply> reply;
};

int CWnd::MessageEventType() {
    static const int type = QEvent::registerEventType();
    return type;
}

void CWnd::RunQueuedMessage(QEvent* event) {
    HandOffAcquire(event);
    auto* queued = static_cast<MessageEvent*>(event);
    const LRESULT result = destroyed_ ? 0 : Dispatch(queued->message, queued->wParam, queued->lParam);
    if (queued->reply)
        queued->reply->Give(result);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (QThread::currentThread() == thread())
        return destroyed_ ? 0 : Dispatch(message, wParam, lParam);
    auto reply = std::make_shared<Reply>();
    Post(new MessageEvent(message, wParam, lParam, reply));
    return reply->Wait();
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (destroyed_)
        return 0;
    Post(new MessageEvent(message, wParam, lParam, nullptr));
    return 1;
}

void CWnd::Post(MessageEvent* event) {
    HandOffRelease(event);
    QCoreApplication::postEvent(this, event);
}

namespace {

// Work for the user-interface thread, and the object there that runs it.
struct CallEvent : QEvent {
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    CallEvent(const std::function<void()>& work, std::shared_ptr<Reply> reply)
        : QEvent(Type()), work(work), reply(std::move(reply)) {}
    ~CallEvent() override {
        HandOffAcquire(this);
        reply->Give(0);
    }
    const std::function<void()>& work;
    std::shared_ptr<Reply> reply;
};

class CallRunner : public QObject {
public:
    bool event(QEvent* event) override {
        HandOffAcquire(event);
        if (event->type() != CallEvent::Type())
            return QObject::event(event);
        auto* call = static_cast<CallEvent*>(event);
        call->work();
        call->reply->Give(0);
        return true;
    }
};

// Made with the application, on its thread.
CallRunner* runner = nullptr;
void CreateCallRunner() { runner = new CallRunner; }
Q_COREAPP_STARTUP_FUNCTION(CreateCallRunner)

} // namespace

void CallOnUiThread(const std::function<void()>& work) {
    if (!qApp || !runner || QThread::currentThread() == qApp->thread()) {
        work();
        return;
    }
    auto reply = std::make_shared<Reply>();
    auto* call = new CallEvent(work, reply);
    HandOffRelease(call);
    QCoreApplication::postEvent(runner, call);
    reply->Wait();
}

void PumpMessagesUntil(const std::function<bool()>& done) {
    // A tick makes sure the wait for more events ends now and then to look at done().
    QTimer tick;
    tick.start(10);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
