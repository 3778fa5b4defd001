#include "platform/ui/ui_services.h"
#include "tests/support/gui_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

TEST(UiServices, AMessageBoxAskedFromAWorkerWaitsForTheAnswer) {
    // Answer the box once it shows on the user-interface thread.
    bool shownOnUiThread = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                shownOnUiThread = box->thread() == qApp->thread();
                box->button(QMessageBox::No)->click();
            }
    });
    answer.start(20);

    std::atomic<int> result{0};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        result = Services().MessageBox(nullptr, "Reset all the convert options?", "Vellumin", MB_YESNO);
        finished = true;
    });
    // The user-interface thread keeps serving events until the worker has its answer.
    QElapsedTimer clock;
    clock.start();
    while (!finished && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(finished) << "the message box was never answered";
    worker.join();
    EXPECT_TRUE(shownOnUiThread);
    EXPECT_EQ(result, IDNO);
}

// The desktop's message boxes show the icon their type names, and the
// buttons: OK alone, or Yes and No (a question, unless another icon is named).
TEST(UiServices, MessageBoxesShowTheirIconAndButtons) {
    const struct {
        int type;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton answer;
        int result;
    } cases[] = {
        {MB_OK, QMessageBox::Information, QMessageBox::Ok, IDOK},
        {MB_OK | MB_ICONERROR, QMessageBox::Critical, QMessageBox::Ok, IDOK},
        {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning, QMessageBox::Ok, IDOK},
        {MB_YESNO, QMessageBox::Question, QMessageBox::Yes, IDYES},
        {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, QMessageBox::No, IDNO},
    };
    for (const auto& c : cases) {
        QMessageBox::Icon shown = QMessageBox::NoIcon;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible() && box->button(c.answer)) {
                    shown = box->icon();
                    box->button(c.answer)->click();
                }
        });
        answer.start(20);
        EXPECT_EQ(Services().MessageBox(nullptr, "text", "Vellumin", c.type), c.result) << "type " << c.type;
        EXPECT_EQ(shown, c.icon) << "type " << c.type;
    }
}

TEST(UiServices, TestsInstallTheirOwn) {
    {
        RecordingServices recording;
        recording.clipboard = "clip";
        EXPECT_EQ(Services().MessageBox(nullptr, "Not a valid pdf file!", "", MB_OK), IDOK);
        EXPECT_EQ(recording.messages, std::vector<std::string>{"Not a valid pdf file!"});
        EXPECT_EQ(Services().GetClipboardText(), "clip");
    }
    Services().SetClipboardText("copied");
    EXPECT_EQ(Services().GetClipboardText(), "copied");
}

TEST(UiServices, ThePopUpMenusPresenterShowsTheDesktopsMenus) {
    std::vector<std::string> shown;
    SetPopupMenuPresenter([&](QWidget*, const std::vector<PopupMenuEntry>& entries, int x, int y) {
        for (const PopupMenuEntry& entry : entries)
            shown.push_back(entry.command == 0 ? "-" : entry.enabled ? entry.text : "(" + entry.text + ")");
        shown.push_back(std::to_string(x) + "," + std::to_string(y));
        return 7u;
    });
    const std::vector<PopupMenuEntry> entries = {{7, "&Open", true}, {0, "", true}, {8, "&Close", false}};
    EXPECT_EQ(Services().TrackPopupMenu(nullptr, entries, 30, 40), 7u);
    EXPECT_EQ(shown, (std::vector<std::string>{"&Open", "-", "(&Close)", "30,40"}));
    // Taken away, the presenter is asked no more; installed services still come first.
    SetPopupMenuPresenter(nullptr);
    RecordingServices recording;
    recording.menuAnswer = 8;
    EXPECT_EQ(Services().TrackPopupMenu(nullptr, entries, 30, 40), 8u);
    EXPECT_EQ(shown.size(), 4u);
}
