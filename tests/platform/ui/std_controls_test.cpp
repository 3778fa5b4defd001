// The edit and combo-box controls over Qt widgets: their messages, and input
// that passes through the window procedure before the Qt widget sees it.
#include "tests/support/gui_support.h"

#include "platform/ui/std_controls.h"
#include "platform/ui/ui_services.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// An edit that swallows digits and ends on Return, Tab or Escape, noting
// what it sees, as an in-place editor does.
class FilteringEdit : public CEdit {
public:
    using CEdit::CEdit;
    Lines seen;
    LRESULT dialogCode = DLGC_WANTALLKEYS;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_GETDLGCODE)
            return dialogCode;
        if (message == WM_CHAR) {
            if (wParam >= '0' && wParam <= '9')
                return 0;
            if (wParam == '\r' || wParam == '\t' || wParam == 27) {
                seen.push_back("ends with " + std::to_string(wParam));
                return 0;
            }
        }
        if (message == WM_KILLFOCUS)
            seen.push_back("WM_KILLFOCUS");
        return CEdit::WindowProc(message, wParam, lParam);
    }
};

// A form that notes the notifications of its controls.
class Form : public JournalWindow {
public:
    Form() {
        ignored.insert(WM_CONTEXTMENU);
        resize(300, 200);
    }
};

} // namespace

TEST(StandardControls, EditMessagesAndTypingThroughTheWindowProcedure) {
    Form form;
    FilteringEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_RIGHT, RECT{10, 10, 210, 34}, &form, 8));
    EXPECT_EQ(edit.LineEdit()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    ShowExposed(&form);
    edit.SetWindowText("owner");
    EXPECT_EQ(edit.GetWindowText(), "owner");
    EXPECT_EQ(form.journal.back(), "WM_COMMAND 0x3000008 " + std::to_string(reinterpret_cast<LPARAM>(&edit)));

    edit.SetSel(0, -1); // everything selected
    EXPECT_EQ(edit.GetSel(), std::make_pair(0, 5));
    edit.SetSel(5, -1); // the caret at the end, nothing selected
    EXPECT_EQ(edit.GetSel(), std::make_pair(5, 5));

    edit.SetFocus();
    QTest::keyClicks(edit.LineEdit(), "x1y2");
    QTest::keyClick(edit.LineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(edit.GetWindowText(), "ownerx");
    QTest::keyClick(edit.LineEdit(), Qt::Key_Return);
    QTest::keyClick(edit.LineEdit(), Qt::Key_Tab);
    QTest::keyClick(edit.LineEdit(), Qt::Key_Escape);
    EXPECT_EQ(edit.seen, (Lines{"ends with 13", "ends with 9", "ends with 27"}));
    EXPECT_EQ(CWnd::GetFocus(), &edit); // a window that takes all keys keeps the focus on Tab

    // A character posted to the edit replaces the selection, as if typed.
    edit.SetSel(0, -1);
    edit.PostMessage(WM_CHAR, 'Z');
    QCoreApplication::processEvents();
    EXPECT_EQ(edit.GetWindowText(), "Z");
}

TEST(StandardControls, TabLeavesAnEditThatDoesNotTakeIt) {
    Form form;
    FilteringEdit first, second;
    first.dialogCode = 0;
    first.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, RECT{0, 0, 100, 24}, &form, 1);
    second.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, RECT{0, 30, 100, 54}, &form, 2);
    ShowExposed(&form);
    first.SetFocus();
    QTest::keyClick(first.LineEdit(), Qt::Key_Tab);
    EXPECT_EQ(CWnd::GetFocus(), &second);
    EXPECT_EQ(first.seen, (Lines{"WM_KILLFOCUS"}));
    EXPECT_EQ(first.GetWindowText(), ""); // no tab typed
}

TEST(StandardControls, EditClipboardCommandsUseTheDesktopServices) {
    RecordingServices services;
    CEdit edit;
    edit.SetWindowText("abcdef");
    edit.SetSel(2, 4);
    edit.SendMessage(WM_CUT);
    EXPECT_EQ(services.clipboard, "cd");
    EXPECT_EQ(edit.GetWindowText(), "abef");
    EXPECT_TRUE(edit.SendMessage(EM_CANUNDO));
    edit.SendMessage(WM_UNDO);
    EXPECT_EQ(edit.GetWindowText(), "abcdef");
    edit.SetSel(0, 0);
    edit.SendMessage(WM_PASTE);
    EXPECT_EQ(edit.GetWindowText(), "cdabcdef");
}

TEST(StandardControls, ComboBoxListsLinesAndTellsOnlyTheUsersChoice) {
    Form form;
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL, RECT{10, 10, 160, 10 + 21 + 100}, &form, 30001));
    // The window is as tall as its field; the rest is room for the list.
    EXPECT_EQ(combo.height(), combo.ComboBox()->sizeHint().height());
    for (const char* line : {"All Pages", "Selected Pages"})
        combo.AddString(line);
    EXPECT_EQ(combo.SendMessage(CB_GETCOUNT), 2);
    form.journal.clear();
    EXPECT_EQ(combo.SetCurSel(1), 1);
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_EQ(combo.GetWindowText(), "Selected Pages");
    EXPECT_EQ(combo.SetCurSel(5), CB_ERR);
    EXPECT_TRUE(form.journal.empty()); // choosing by message says nothing

    combo.SetCurSel(0);
    ShowExposed(&form);
    combo.SetFocus();
    QTest::keyClick(combo.ComboBox(), Qt::Key_Down);
    EXPECT_EQ(combo.GetCurSel(), 1);
    ASSERT_EQ(form.journal.size(), 1u);
    EXPECT_EQ(form.journal[0], "WM_COMMAND 0x17531 " + std::to_string(reinterpret_cast<LPARAM>(&combo)));
}
