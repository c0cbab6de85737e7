#include "ui/WindowMessage.h"

#include <QCoreApplication>
#include <QTest>
#include <future>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A window that notes every message it gets and answers with wParam + lParam.
class TNotingWindow : public QObject {
public:
    QList<int> Messages;

protected:
    bool event(QEvent* event) override {
        if (auto* message = TMessageEvent::From(event)) {
            Messages.append(message->Msg);
            message->Result = LRESULT(message->WParam) + message->LParam;
            return true;
        }
        return QObject::event(event);
    }
};

TEST(WindowMessage, PostQueuesAndSendOnTheSameThreadDelivers) {
    TNotingWindow window;
    PostMessage(&window, WM_USER + 1, 0, 0);
    EXPECT_TRUE(window.Messages.isEmpty());
    EXPECT_EQ(SendMessage(&window, WM_USER + 2, 3, 4), 7);
    EXPECT_EQ(window.Messages, QList<int>{WM_USER + 2});
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Messages, (QList<int>{WM_USER + 2, WM_USER + 1}));
    EXPECT_EQ(SendMessage(nullptr, WM_USER, 0, 0), 0);
}

TEST(WindowMessage, SendFromAnotherThreadWaitsForTheWindowThread) {
    TNotingWindow window;
    auto sent = std::async(std::launch::async, [&] { return SendMessage(&window, 1124, 5, 10); });
    EXPECT_EQ(sent.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Messages.isEmpty(); }, 2000));
    EXPECT_EQ(sent.get(), 15);
}

TEST(WindowMessage, AWaitHandlingSentMessagesReleasesTheSenderAndKeepsPostedOnes) {
    TNotingWindow window;
    PostMessage(&window, 1134, 0, 0);
    auto sent = std::async(std::launch::async, [&] { return SendMessage(&window, 1124, 1, 1); });
    // The thread that waits for the sender takes only sent messages meanwhile.
    while (sent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        ProcessSentMessages(50);
    EXPECT_EQ(sent.get(), 2);
    EXPECT_EQ(window.Messages, QList<int>{1124});
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Messages, (QList<int>{1124, 1134}));
}

TEST(WindowMessage, ASenderIsReleasedWhenTheWindowGoes) {
    auto window = std::make_unique<TNotingWindow>();
    auto sent =
        std::async(std::launch::async, [&] { return SendMessage(window.get(), 1124, 1, 1); });
    EXPECT_EQ(sent.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    window.reset();
    EXPECT_EQ(sent.get(), 0);
}

} // namespace
