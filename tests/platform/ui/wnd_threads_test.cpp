// Messages from a worker thread: they run on the window's thread, in order,
// while the user-interface thread serves events.
#include "tests/support/gui_support.h"

#include "controls/util/percent_progress_ctrl.h"
#include "platform/ui/ui_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Notes the thread each user message runs on and answers with its wParam.
class ThreadNoting : public CWnd {
public:
    std::vector<int> received;
    bool allOnOwnThread = true;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER + 1 || message == WM_USER + 2) {
            allOnOwnThread = allOnOwnThread && QThread::currentThread() == thread();
            received.push_back(static_cast<int>(wParam));
            return static_cast<LRESULT>(wParam) * 2;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

} // namespace

TEST(WindowThreads, SentAndPostedMessagesRunOnTheWindowsThreadInOrder) {
    ThreadNoting window;
    std::atomic<bool> done{false};
    std::vector<LRESULT> results;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) {
            window.PostMessage(WM_USER + 2, static_cast<WPARAM>(1000 + i));
            results.push_back(window.SendMessage(WM_USER + 1, static_cast<WPARAM>(i)));
        }
        done = true;
    });
    PumpMessagesUntil([&] { return done.load(); });
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.allOnOwnThread);
    ASSERT_EQ(results.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(results[i], 2 * i);
    // Each posted message was queued before the send that followed it.
    std::vector<int> expected;
    for (int i = 0; i < 100; ++i)
        expected.insert(expected.end(), {1000 + i, i});
    EXPECT_EQ(window.received, expected);
}

TEST(WindowThreads, ASenderIsAnsweredWhenTheWindowGoesAwayFirst) {
    auto* window = new ThreadNoting;
    std::atomic<bool> sending{false};
    LRESULT result = -1;
    std::thread worker([&] {
        sending = true;
        result = window->SendMessage(WM_USER + 1, 21);
    });
    while (!sending)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the message waits in the queue
    delete window;                                              // and is dropped with the window
    worker.join();
    EXPECT_EQ(result, 0);
}

TEST(WindowThreads, AWorkerHammersAProgressBarWhileTheWindowPaints) {
    CWnd form;
    form.resize(320, 60);
    CPercentProgressCtrl bar(&form);
    bar.setGeometry(10, 10, 300, 24);
    ShowExposed(&form);

    constexpr int kSteps = 20000;
    std::atomic<bool> done{false};
    bool positionsInOrder = true;
    std::thread worker([&] {
        for (int i = 1; i <= kSteps; ++i) {
            const int previous = bar.SetPos(i % 101);
            positionsInOrder = positionsInOrder && previous == (i - 1) % 101;
            if (i % 1000 == 0)
                bar.SetWindowText("File " + std::to_string(i / 1000) + " of 20");
        }
        done = true;
    });
    // The form keeps painting while the worker drives the bar.
    QTimer repaint;
    int paints = 0;
    QObject::connect(&repaint, &QTimer::timeout, [&] {
        form.repaint();
        ++paints;
    });
    repaint.start(1);
    PumpMessagesUntil([&] { return done.load(); });
    worker.join();
    EXPECT_TRUE(positionsInOrder);
    EXPECT_EQ(bar.GetPos(), kSteps % 101);
    EXPECT_EQ(bar.GetWindowText(), "File 20 of 20");
    EXPECT_GT(paints, 0);
}

TEST(WindowThreads, AMessageBoxFromTheWorkerIsAnsweredWhileTheWindowWaitsForIt) {
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                box->button(QMessageBox::Yes)->click();
    });
    answer.start(20);
    std::atomic<bool> done{false};
    int reply = 0;
    std::thread worker([&] {
        reply = Services().MessageBox(nullptr, "Continue?", "Vellumin", MB_YESNO);
        done = true;
    });
    PumpMessagesUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(reply, IDYES);
}
