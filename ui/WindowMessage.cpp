#include "WindowMessage.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>

// What a sending thread waits on; the event fills it in when it is gone, handled or not.
struct TSendReply {
    std::mutex Lock;
    std::condition_variable Done;
    bool Handled = false;
    LRESULT Result = 0;
};

namespace {

// Sends from other threads that no window thread has handled yet.
struct TPendingSends {
    std::mutex Lock;
    std::condition_variable Arrived;
    int Count = 0;
};

TPendingSends& PendingSends() {
    static TPendingSends pending;
    return pending;
}

} // namespace

TMessageEvent::TMessageEvent(QEvent::Type type, int msg, WPARAM wParam, LPARAM lParam)
    : QEvent(type), Msg(msg), WParam(wParam), LParam(lParam) {}

TMessageEvent::~TMessageEvent() {
    if (!FReply)
        return;
    {
        std::lock_guard lock(FReply->Lock);
        FReply->Handled = true;
        FReply->Result = Result;
    }
    FReply->Done.notify_all();
    std::lock_guard lock(PendingSends().Lock);
    --PendingSends().Count;
}

QEvent::Type TMessageEvent::PostedType() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QEvent::Type TMessageEvent::SentType() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

TMessageEvent* TMessageEvent::From(QEvent* event) {
    if (event->type() != PostedType() && event->type() != SentType())
        return nullptr;
    return static_cast<TMessageEvent*>(event);
}

void PostMessage(QObject* window, int msg, WPARAM wParam, LPARAM lParam) {
    if (window)
        QCoreApplication::postEvent(
            window, new TMessageEvent(TMessageEvent::PostedType(), msg, wParam, lParam));
}

LRESULT SendMessage(QObject* window, int msg, WPARAM wParam, LPARAM lParam) {
    if (!window)
        return 0;
    if (window->thread() == QThread::currentThread()) {
        TMessageEvent event(TMessageEvent::SentType(), msg, wParam, lParam);
        QCoreApplication::sendEvent(window, &event);
        return event.Result;
    }
    auto reply = std::make_shared<TSendReply>();
    auto* event = new TMessageEvent(TMessageEvent::SentType(), msg, wParam, lParam);
    event->FReply = reply;
    {
        std::lock_guard lock(PendingSends().Lock);
        ++PendingSends().Count;
    }
    QCoreApplication::postEvent(window, event, Qt::HighEventPriority);
    PendingSends().Arrived.notify_all();
    std::unique_lock lock(reply->Lock);
    reply->Done.wait(lock, [&] { return reply->Handled; });
    return reply->Result;
}

void ProcessSentMessages(int timeoutMs) {
    {
        std::unique_lock lock(PendingSends().Lock);
        PendingSends().Arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                        [] { return PendingSends().Count > 0; });
    }
    QCoreApplication::sendPostedEvents(nullptr, TMessageEvent::SentType());
}
