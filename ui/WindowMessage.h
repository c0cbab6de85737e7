#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>
#include <memory>

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// The first message number a program may give its own window messages.
constexpr int WM_USER = 0x0400;

struct TSendReply;

// A window message inside the program: its number and two parameters. A window takes it
// in its event handler (TMessageEvent::From) and may set Result for a sender.
class TMessageEvent : public QEvent {
public:
    TMessageEvent(QEvent::Type type, int msg, WPARAM wParam, LPARAM lParam);
    ~TMessageEvent() override;
    Q_DISABLE_COPY(TMessageEvent)

    // The event types of posted messages and of messages sent from another thread.
    static QEvent::Type PostedType();
    static QEvent::Type SentType();
    // The message an event carries, or null when it carries none.
    static TMessageEvent* From(QEvent* event);

    const int Msg;
    const WPARAM WParam;
    const LPARAM LParam;
    LRESULT Result = 0;

private:
    friend LRESULT SendMessage(QObject*, int, WPARAM, LPARAM);
    std::shared_ptr<TSendReply> FReply;
};

// Queues the message for the window and returns at once.
void PostMessage(QObject* window, int msg, WPARAM wParam, LPARAM lParam);
// Delivers the message and returns the window's Result. From another thread it waits
// until the window's thread has handled it (or the window is gone).
LRESULT SendMessage(QObject* window, int msg, WPARAM wParam, LPARAM lParam);
// Handles the messages other threads have sent to this thread's windows, after waiting
// at most `timeoutMs` for one to arrive. Posted messages stay queued. A thread that waits
// for another one calls this in its wait, so a send from the other thread cannot block
// both.
void ProcessSentMessages(int timeoutMs = 0);
