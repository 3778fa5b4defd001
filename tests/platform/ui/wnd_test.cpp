// The window's life and family: creation and destruction, ids and owners,
// notifications, capture, cursors and the messages of state changes.
#include "tests/support/gui_support.h"

#include "controls/util/wnd_hook.h"
#include "platform/ui/input_state.h"
#include "platform/ui/paint_dc.h"

#include <QApplication>
#include <QMainWindow>
#include <QMimeData>
#include <QSplitter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Notes the messages of creation and destruction in one shared journal.
class LifeWindow : public CWnd {
public:
    LifeWindow(std::string name, Lines& journal, LRESULT onCreate = 0)
        : name_(std::move(name)), journal_(journal), onCreate_(onCreate) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE || message == WM_DESTROY || message == WM_NCDESTROY)
            journal_.push_back(name_ + " " + MessageName(message));
        if (message == WM_CREATE)
            return onCreate_;
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    std::string name_;
    Lines& journal_;
    LRESULT onCreate_;
};

class NotingHook : public CWndHook {
public:
    Lines seen;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DESTROY || message == WM_NCDESTROY)
            seen.push_back(MessageName(message));
        return CWndHook::WindowProc(message, wParam, lParam);
    }
};

struct NotifyRecord {
    NMHDR header;
    int value;
};

} // namespace

TEST(Window, CreationReachesTheDerivedWindowAndPlacesItInTheParentsClientArea) {
    Lines journal;
    JournalWindow parent;
    parent.resize(200, 100);
    LifeWindow child("child", journal);
    ASSERT_TRUE(child.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, RECT{5, 6, 55, 36}, &parent, 1021));
    EXPECT_EQ(journal, Lines{"child WM_CREATE"});
    EXPECT_EQ(child.GetDlgCtrlID(), 1021u);
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(child.GetWindowRect(), (RECT{5, 6, 55, 36}));
    EXPECT_EQ(child.GetClientRect(), (RECT{0, 0, 50, 30}));
    EXPECT_EQ(child.focusPolicy(), Qt::TabFocus);

    Lines refused;
    LifeWindow failing("failing", refused, -1);
    EXPECT_FALSE(failing.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, &parent, 1));
    EXPECT_EQ(refused, (Lines{"failing WM_CREATE", "failing WM_DESTROY", "failing WM_NCDESTROY"}));
    EXPECT_FALSE(failing.IsWindow());
    EXPECT_FALSE(failing.isVisible());
}

TEST(Window, DestroyingReachesTheDerivedWindowsTheirChildrenAndEveryHook) {
    Lines journal;
    auto* parent = new LifeWindow("parent", journal);
    auto* child = new LifeWindow("child", journal);
    child->Create(WS_CHILD, RECT{0, 0, 10, 10}, parent, 2);
    NotingHook hook;
    hook.HookWindow(parent);
    journal.clear();
    parent->DestroyWindow();
    // Destroy goes down from the parent, the final message comes up from the children.
    EXPECT_EQ(journal, (Lines{"parent WM_DESTROY", "child WM_DESTROY", "child WM_NCDESTROY", "parent WM_NCDESTROY"}));
    // Hooks see WM_DESTROY; WM_NCDESTROY unhooks them before the window's own procedure runs.
    EXPECT_EQ(hook.seen, Lines{"WM_DESTROY"});
    EXPECT_EQ(hook.HookedWindow(), nullptr);
    EXPECT_FALSE(child->IsWindow());
    EXPECT_EQ(parent->SendMessage(WM_USER), 0); // a destroyed window takes no more messages
    EXPECT_FALSE(parent->PostMessage(WM_USER));
    journal.clear();
    delete parent; // nothing is sent twice
    EXPECT_TRUE(journal.empty());
}

TEST(Window, AWindowMayDeleteItselfOnItsLastMessage) {
    struct SelfDeleting : CWnd {
        bool* gone;
        explicit SelfDeleting(bool* gone) : gone(gone) {}
        ~SelfDeleting() override { *gone = true; }
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_NCDESTROY)
                deleteLater();
            return CWnd::WindowProc(message, wParam, lParam);
        }
    };
    bool gone = false;
    auto* window = new SelfDeleting(&gone);
    window->PostMessage(WM_CLOSE); // WM_CLOSE's standard handling destroys the window
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone);
}

TEST(Window, NotificationsReachTheOwnerOrTheNearestParentWindowWithTheControlId) {
    struct Owner : JournalWindow {
        int lastValue = 0;
        UINT lastId = 0;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_NOTIFY) {
                auto* record = reinterpret_cast<NotifyRecord*>(lParam);
                lastValue = record->value;
                lastId = static_cast<UINT>(record->header.idFrom);
                return record->header.hwndFrom && wParam == record->header.idFrom ? 5 : -5;
            }
            return JournalWindow::WindowProc(message, wParam, lParam);
        }
    };
    // A control inside a splitter inside a main window, all in a window.
    Owner outer;
    QMainWindow main(&outer);
    auto* splitter = new QSplitter;
    main.setCentralWidget(splitter);
    auto* control = new CWnd;
    splitter->addWidget(control);
    control->SetDlgCtrlID(1006);
    NotifyRecord record{{nullptr, 0, -2}, 42};
    EXPECT_EQ(control->NotifyOwner(record.header), 5);
    EXPECT_EQ(outer.lastValue, 42);
    EXPECT_EQ(outer.lastId, 1006u);
    EXPECT_EQ(record.header.hwndFrom, control);

    // An owner other than the parent hears it instead.
    Owner owner;
    control->SetOwner(&owner);
    record.value = 7;
    control->NotifyOwner(record.header);
    EXPECT_EQ(owner.lastValue, 7);
    EXPECT_EQ(outer.lastValue, 42);

    CWnd alone;
    EXPECT_EQ(alone.NotifyOwner(record.header), 0);
}

TEST(Window, CaptureTakesTheMouseAndTellsTheWindowThatLosesIt) {
    JournalWindow top;
    top.resize(300, 100);
    JournalWindow left(&top), right(&top);
    left.setGeometry(0, 0, 100, 100);
    right.setGeometry(200, 0, 100, 100);
    ShowExposed(&top);
    EXPECT_EQ(left.SetCapture(), nullptr);
    EXPECT_EQ(CWnd::GetCapture(), &left);
    QTest::mouseClick(&right, Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_EQ(right.journal, Lines{});
    EXPECT_EQ(left.journal, (Lines{"WM_LBUTTONDOWN 0x1 (210,20)", "WM_LBUTTONUP 0x0 (210,20)"}));

    left.journal.clear();
    right.SetCapture();
    EXPECT_EQ(left.journal, Lines{"WM_CAPTURECHANGED 0x0 " + std::to_string(reinterpret_cast<LPARAM>(&right))});
    CWnd::ReleaseCapture();
    EXPECT_EQ(right.journal, Lines{"WM_CAPTURECHANGED 0x0 0"});
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST(Window, MouseLeaveArrivesOnceWhenTracked) {
    JournalWindow window;
    window.resize(50, 50);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&window, &leave);
    EXPECT_TRUE(window.journal.empty()); // not asked for
    window.TrackMouseEvent(TME_LEAVE);
    QApplication::sendEvent(&window, &leave);
    QApplication::sendEvent(&window, &leave);
    EXPECT_EQ(window.journal, Lines{"WM_MOUSELEAVE 0x0 0"});
}

TEST(Window, StateChangesArriveAsMessages) {
    JournalWindow window;
    window.resize(50, 50);
    window.EnableWindow(false);
    window.EnableWindow(true);
    const QPalette palette = QApplication::palette();
    QPalette changed = palette;
    changed.setColor(QPalette::Base, Qt::yellow);
    QApplication::setPalette(changed);
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
    ASSERT_GE(window.journal.size(), 3u);
    EXPECT_EQ(window.journal[0], "WM_ENABLE 0x0 0");
    EXPECT_EQ(window.journal[1], "WM_ENABLE 0x1 0");
    EXPECT_EQ(window.journal[2], "WM_SYSCOLORCHANGE 0x0 0");

    // Closing asks the window; the standard answer destroys it.
    window.journal.clear();
    ShowExposed(&window);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(window.journal, (Lines{"WM_CLOSE 0x0 0", "WM_DESTROY 0x0 0", "WM_NCDESTROY 0x0 0"}));
}

TEST(Window, CursorsFollowSetCursorAndTheClassCursor) {
    struct Sizing : CWnd {
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_SETCURSOR && width() > 60) {
                SetCursor(Cursor::SizeWE);
                return 1;
            }
            return CWnd::WindowProc(message, wParam, lParam);
        }
    } window;
    window.resize(100, 50);
    ShowExposed(&window);
    QTest::mouseMove(&window, QPoint(5, 5));
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(window.cursor().shape(), Qt::SizeHorCursor);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(5, 5));
    window.resize(50, 50); // now the class cursor applies
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(5, 5));
    {
        CWaitCursor busy;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Window, TheCursorPositionCanBePinnedAndClipped) {
    const POINT pinned{500, 400};
    PinCursorPos(&pinned);
    POINT at;
    ASSERT_TRUE(GetCursorPos(&at));
    EXPECT_EQ(at.x, 500);
    EXPECT_EQ(at.y, 400);
    const RECT clip{0, 0, 300, 200};
    ClipCursor(&clip);
    GetCursorPos(&at);
    EXPECT_EQ(at.x, 299);
    EXPECT_EQ(at.y, 199);
    ClipCursor(nullptr);
    PinCursorPos(nullptr);
}

TEST(Window, DrawingAtOnceOutsidePaintMessages) {
    // Paints white and notes each paint's clip box.
    struct White : CWnd {
        std::vector<RECT> clips;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_PAINT) {
                CPaintDC dc(this);
                clips.push_back(dc.ClipBox());
                dc.FillSolidRect(GetClientRect(), RGB(255, 255, 255));
                return 0;
            }
            return CWnd::WindowProc(message, wParam, lParam);
        }
    } window;
    window.resize(60, 40);
    ShowExposed(&window);
    window.clips.clear();
    const RECT cell{10, 5, 30, 15};
    window.RedrawWindow(&cell, RDW_INVALIDATE | RDW_UPDATENOW); // painted before the call returns
    EXPECT_EQ(window.clips, std::vector<RECT>{cell});

    // A tracking line drawn through a client context stays over later paints until inverted again.
    const RECT line{20, 0, 22, 40};
    CClientDC dc(&window);
    dc.InvertRect(line);
    window.repaint();
    QImage picture = window.grab().toImage();
    EXPECT_EQ(picture.pixel(20, 10) & 0xFFFFFF, 0u);
    EXPECT_EQ(picture.pixel(22, 10) & 0xFFFFFF, 0xFFFFFFu);
    dc.InvertRect(line);
    picture = window.grab().toImage();
    EXPECT_EQ(picture.pixel(20, 10) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Window, FilesDroppedFromAFileManagerArriveAsPaths) {
    struct DropTarget : CWnd {
        std::vector<std::string> dropped;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_DROPFILES)
                dropped = DroppedFiles(wParam);
            return CWnd::WindowProc(message, wParam, lParam);
        }
    } window;
    window.resize(100, 100);
    window.DragAcceptFiles(true);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/docs/a.pdf"), QUrl::fromLocalFile("/docs/my folder"),
                  QUrl("https://example.org/x.pdf")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_EQ(window.dropped, (std::vector<std::string>{"/docs/a.pdf", "/docs/my folder"})); // local files only
}
