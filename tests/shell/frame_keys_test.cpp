// The keys of the main window: one press runs its command once from wherever
// the focus is, no command runs while it is greyed, and a key an editor takes
// stays with the editor.
#include "controls/optiontree/choice_tree_items.h"
#include "shell/commands.h"
#include "shell/main_frame.h"
#include "tests/support/gui_support.h"
#include "tests/support/shown_frame.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Files that are not PDF documents: each one a run meets gives one message box.
struct BrokenDocuments {
    testing_support::TempDir dir;
    std::vector<std::string> paths;
    explicit BrokenDocuments(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string path = dir / ("broken" + std::to_string(i) + ".pdf");
            std::ofstream(path) << "not a document";
            paths.push_back(path);
        }
    }
};

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QCoreApplication::processEvents();
}

// Opens the editor of an option and leaves the focus in it.
void FocusOptionEditor(CMainFrame& frame, int id) {
    CChoiceTreeItem* item = frame.Options().Tree().FindItem(id);
    ASSERT_NE(item, nullptr);
    frame.Options().Tree().GetListWindow()->SetFocus();
    item->Select(true);
    item->Activate();
    QCoreApplication::processEvents();
}

// Services whose message boxes, shown while the run is under way, let the
// test act at that moment.
struct DuringTheRun : RecordingServices {
    std::function<void()> atFirstMessage;
    int fileDialogs = 0;
    int MessageBox(QWidget* owner, const std::string& text, const std::string& title, int type) override {
        if (messages.empty() && atFirstMessage)
            atFirstMessage();
        return RecordingServices::MessageBox(owner, text, title, type);
    }
    std::vector<std::string> OpenFileDialog(QWidget* owner, const std::string& filter,
                                            const std::string& start) override {
        ++fileDialogs;
        return RecordingServices::OpenFileDialog(owner, filter, start);
    }
};

} // namespace

// F5 starts one run from each place the focus can be: one document that
// cannot be read gives exactly one message box. In a password cell's editor
// it keeps what was typed, as a click on Start does, even when the edited
// cell is not the list's focus cell.
TEST(FrameKeys, F5RunsTheBatchOnceFromEveryFocus) {
    const struct {
        const char* name;
        std::function<void(ShownFrame&)> focus;
        std::string typed; // into the first row's owner password
    } places[] = {
        {"list", [](ShownFrame& f) { f.Form().Grid().SetFocus(); }, ""},
        {"summary", [](ShownFrame& f) { f.Form().Summary().TextEdit()->setFocus(); }, ""},
        {"Start button", [](ShownFrame& f) { f.Form().Button(ID_START_CONVERT).SetFocus(); }, ""},
        {"option tree", [](ShownFrame& f) { f.frame.Options().Tree().GetListWindow()->SetFocus(); }, ""},
        {"option editor", [](ShownFrame& f) { FocusOptionEditor(f.frame, CRightView::kJpegQuality); }, ""},
        {"cell editor",
         [](ShownFrame& f) {
             f.Form().Grid().SetFocus();
             f.Form().Grid().OnEditCell(1, 4, POINT{0, 0}, 0);
             QCoreApplication::processEvents();
             ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
             QTest::keyClicks(QApplication::focusWidget(), "pw");
         },
         "pw"},
    };
    for (const auto& place : places) {
        RecordingServices services;
        BrokenDocuments documents(1);
        ShownFrame f;
        services.files = documents.paths;
        f.frame.OnCommand(ID_OPEN_FILE);
        place.focus(f);
        QCoreApplication::processEvents();
        Press(Qt::Key_F5);
        EXPECT_EQ(services.messages.size(), 1u) << "F5 from the " << place.name;
        EXPECT_EQ(f.Form().Grid().GetItemText(1, 4), place.typed) << "F5 from the " << place.name;
    }
}

// While a run is under way, the keys, menus and buttons of the commands it
// greys do nothing: the list keeps its documents, no file dialog opens.
TEST(FrameKeys, GreyedCommandsCannotBeReachedDuringARun) {
    DuringTheRun services;
    BrokenDocuments documents(3);
    ShownFrame f;
    services.files = documents.paths;
    f.frame.OnCommand(ID_OPEN_FILE);
    Lines greyed;
    services.atFirstMessage = [&] {
        for (unsigned id : std::initializer_list<unsigned>{ID_OPEN_FILE, ID_IMPORT_DIRECTORY, ID_REMOVE_SELECTED,
                                                          ID_REMOVE_ALL, ID_START_CONVERT,
                            ID_CLEAR_ALL_SELECTED, ID_RESET_OPTIONS})
            if (!f.frame.IsCommandEnabled(id))
                greyed.push_back(std::to_string(id));
        for (bool fromOptions : {false, true}) {
            if (fromOptions)
                f.frame.Options().Tree().GetListWindow()->SetFocus();
            else
                f.Form().Grid().SetFocus();
            Press(Qt::Key_Delete);
            Press(Qt::Key_Delete, Qt::ControlModifier);
            Press(Qt::Key_O, Qt::ControlModifier);
            Press(Qt::Key_X, Qt::ControlModifier);
        }
        f.Form().OnCommand(ID_REMOVE_ALL); // as the context menu or a button would
        f.frame.OnCommand(ID_REMOVE_SELECTED); // as the menu would
    };
    f.Form().Grid().SetFocus();
    Press(Qt::Key_F5);
    EXPECT_EQ(greyed.size(), 7u);
    EXPECT_EQ(f.Form().Jobs().Paths(), documents.paths);
    EXPECT_EQ(f.Form().Jobs().CheckedEntries().size(), 3u);
    EXPECT_EQ(services.fileDialogs, 1); // the one before the run
    EXPECT_EQ(services.messages.size(), 3u); // every document of the run was met
}

// A key belongs to the innermost window that takes it.
TEST(FrameKeys, EditorsKeepTheirKeysAndTheListsKeysRunOnce) {
    RecordingServices services;
    BrokenDocuments documents(3);
    ShownFrame f;
    services.files = documents.paths;
    f.frame.OnCommand(ID_OPEN_FILE);
    CDataGrid& grid = f.Form().Grid();

    // Ctrl+X in the list clears the checks and leaves the password cell alone.
    grid.SetItemText(1, 4, "secret");
    grid.SetFocus();
    grid.SetFocusCell(1, 4);
    grid.SetSelectedRange(1, 4, 1, 4);
    Press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(f.Form().Jobs().CheckedEntries().empty());
    EXPECT_EQ(grid.GetItemText(1, 4), "secret");
    EXPECT_EQ(services.clipboard, "");

    // Ctrl+A checks every document and highlights no more rows than before.
    Press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.Form().Jobs().CheckedEntries().size(), 3u);
    const CGridCellRange selected = grid.GetSelectedCellRange();
    EXPECT_EQ(selected.minRow, selected.maxRow);

    // In an option's editor, Ctrl+A and Ctrl+X select and cut its text.
    FocusOptionEditor(f.frame, CRightView::kJpegQuality);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    const QString before = editor->text();
    ASSERT_FALSE(before.isEmpty());
    Press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(editor->selectedText(), before);
    Press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "");
    EXPECT_EQ(f.Form().Jobs().CheckedEntries().size(), 3u);
    // Then F5 still runs.
    editor->setText(before);
    Press(Qt::Key_F5);
    EXPECT_EQ(services.messages.size(), 3u);
}

// Tab and Shift+Tab go round the window: the list, the six buttons, the
// summary, the option tree, and back to the list. On the way the list and
// the tree get a current row, and a button runs its command with Space.
TEST(FrameKeys, TabGoesRoundTheWindowAndEveryStopTakesKeys) {
    RecordingServices services;
    BrokenDocuments documents(2);
    ShownFrame f;
    services.files = documents.paths;
    f.frame.OnCommand(ID_OPEN_FILE);
    CFileListForm& form = f.Form();
    const auto where = [&]() -> std::string {
        QWidget* focus = QApplication::focusWidget();
        if (!focus)
            return "nothing";
        if (focus == &form.Grid() || form.Grid().isAncestorOf(focus))
            return "list";
        for (unsigned id : std::initializer_list<unsigned>{ID_OPEN_FILE, ID_IMPORT_DIRECTORY, ID_REMOVE_SELECTED,
                                                          ID_CLEAR_ALL_SELECTED, ID_START_CONVERT, ID_STOP_CONVERT})
            if (focus == &form.Button(id))
                return "button " + std::to_string(id);
        if (focus == form.Summary().TextEdit() || form.Summary().isAncestorOf(focus))
            return "summary";
        if (f.frame.Options().isAncestorOf(focus))
            return "options";
        return focus->metaObject()->className();
    };
    form.Grid().SetFocus();
    Lines forward{where()};
    for (int i = 0; i < 9; ++i) {
        Press(Qt::Key_Tab);
        forward.push_back(where());
    }
    const Lines round = {"list",         "button 32770", "button 32771", "button 32776", "button 32778",
                         "button 32781", "button 32782", "summary",      "options",      "list"};
    EXPECT_EQ(forward, round);
    Lines backward{where()};
    for (int i = 0; i < 9; ++i) {
        Press(Qt::Key_Backtab, Qt::ShiftModifier);
        backward.push_back(where());
    }
    EXPECT_EQ(backward, Lines(round.rbegin(), round.rend()));

    // The list has a current row as it takes the focus: Down moves to the
    // second document, Space checks it after Ctrl+X unchecked everything.
    Press(Qt::Key_X, Qt::ControlModifier);
    Press(Qt::Key_Down);
    Press(Qt::Key_Space);
    ASSERT_EQ(form.Jobs().CheckedEntries().size(), 1u);
    EXPECT_EQ(form.Jobs().CheckedEntries()[0].path, documents.paths[1]);
    // A button takes Space: Remove Selected removes the current row.
    form.Button(ID_REMOVE_SELECTED).SetFocus();
    Press(Qt::Key_Space);
    EXPECT_EQ(form.Jobs().Paths(), Lines{documents.paths[0]});
}

// A drop-down editor of the options shows no scroll bar beside its cell.
TEST(FrameKeys, DropDownEditorsHaveNoStrayScrollBar) {
    ShownFrame f;
    for (int id : {CRightView::kPageRange, CRightView::kOutputMode, CRightView::kJpegGrayScale}) {
        auto* item = dynamic_cast<CChoiceTreeItemComboBox*>(f.frame.Options().Tree().FindItem(id));
        ASSERT_NE(item, nullptr);
        FocusOptionEditor(f.frame, id);
        ASSERT_NE(item->GetWindow(), nullptr);
        EXPECT_FALSE(item->GetWindow()->IsScrollBarShown(SB_VERT)) << "option " << id;
        EXPECT_FALSE(item->GetWindow()->IsScrollBarShown(SB_HORZ)) << "option " << id;
    }
}

// The option tree has a focused row as soon as it takes the focus, so the
// arrows move at once.
TEST(FrameKeys, TheOptionTreeGetsAFocusedRowWithTheFocus) {
    ShownFrame f;
    CChoiceTree& tree = f.frame.Options().Tree();
    ASSERT_EQ(tree.GetFocusedItem(), nullptr);
    f.Form().Summary().TextEdit()->setFocus();
    Press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), tree.GetListWindow());
    ASSERT_NE(tree.GetFocusedItem(), nullptr);
    EXPECT_EQ(tree.GetFocusedItem()->GetItemID(), CRightView::kGeneral);
    Press(Qt::Key_Down);
    ASSERT_NE(tree.GetFocusedItem(), nullptr);
    EXPECT_EQ(tree.GetFocusedItem()->GetItemID(), CRightView::kPageRange);
}

// While the list has the focus it has a current row, whether its documents
// were dropped on it or removed from it, and F2 or a typed character on that
// row edits the row's password, wherever the row's focus cell is.
TEST(FrameKeys, TheListKeepsACurrentRowAndItsKeysReachThePassword) {
    RecordingServices services;
    BrokenDocuments documents(3);
    ShownFrame f;
    CDataGrid& grid = f.Form().Grid();
    const auto focus = [&] {
        return std::to_string(grid.GetFocusCell().row) + "," + std::to_string(grid.GetFocusCell().col);
    };
    grid.SetFocus();
    QCoreApplication::processEvents();
    DropFiles(&f.Form(), documents.paths);
    EXPECT_EQ(focus(), "1,1") << "after the drop";
    EXPECT_TRUE(grid.IsCellSelected(1, 4));
    Press(Qt::Key_Down);
    Press(Qt::Key_Delete);
    EXPECT_EQ(f.Form().Jobs().Paths(), (Lines{documents.paths[0], documents.paths[2]}));
    EXPECT_EQ(focus(), "2,1") << "after the removal, the row that took the removed one's place";

    Press(Qt::Key_F2);
    ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr) << "F2 opened no editor";
    QTest::keyClicks(QApplication::focusWidget(), "pw");
    Press(Qt::Key_Return);
    Press(Qt::Key_Up);
    Press(Qt::Key_Home); // the check box: no text of its own
    EXPECT_EQ(focus(), "1,0");
    QTest::keyClicks(QApplication::focusWidget(), "k");
    QCoreApplication::processEvents();
    ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr) << "typing opened no editor";
    Press(Qt::Key_Return);
    EXPECT_EQ(grid.GetItemText(1, 4), "k");
    EXPECT_EQ(grid.GetItemText(2, 4), "pw");
    EXPECT_EQ(f.Form().Jobs().CheckedEntries().size(), 2u) << "no key went to the check boxes";
}

namespace {

// The option's line of the tree's dump, such as "  Page Range = All Pages".
std::string OptionLine(CChoiceTree& tree, const std::string& label) {
    const std::string dump = DumpChoiceTree(tree);
    const size_t at = dump.find(label + " =");
    return at == std::string::npos ? std::string() : dump.substr(at, dump.find('\n', at) - at);
}

bool EditorHasTheFocus() { return qobject_cast<QComboBox*>(QApplication::focusWidget()) != nullptr; }

} // namespace

// A drop-down editor by keyboard alone: Return opens it; Return keeps the
// choice, Escape takes it back, and both close it; Tab keeps it and moves
// on. Each way the list has the value drawn again, and the rows that
// depend on the choice (Begin and End Page) follow at once.
TEST(FrameKeys, ADropDownEditorOpensClosesAndCommitsByKeyboard) {
    ShownFrame f;
    CChoiceTree& tree = f.frame.Options().Tree();
    auto* pageRange = static_cast<CChoiceTreeItemComboBox*>(tree.FindItem(CRightView::kPageRange));
    f.Form().Summary().TextEdit()->setFocus();
    Press(Qt::Key_Tab);
    Press(Qt::Key_Down); // Page Range
    const auto closed = [&] {
        return QApplication::focusWidget() == tree.GetListWindow() && !pageRange->HasFocus() &&
               !pageRange->GetWindow()->isVisible();
    };
    const struct {
        Qt::Key choose, end;
        const char* value;
        const char* beginPage;
    } steps[] = {
        {Qt::Key_Down, Qt::Key_Return, "Page Range = Selected Pages", "Begin Page = 1"},
        {Qt::Key_Up, Qt::Key_Escape, "Page Range = Selected Pages", "Begin Page = 1"},
        {Qt::Key_Up, Qt::Key_Return, "Page Range = All Pages", "Begin Page = 1 (read-only)"},
    };
    for (const auto& step : steps) {
        Press(Qt::Key_Return);
        ASSERT_TRUE(EditorHasTheFocus()) << step.value;
        Press(step.choose);
        Press(step.end);
        EXPECT_TRUE(closed()) << step.value;
        EXPECT_EQ(OptionLine(tree, "Page Range"), step.value);
        EXPECT_EQ(OptionLine(tree, "Begin Page"), step.beginPage) << step.value;
    }
    // Tab keeps the choice and goes on to the next row's editor; this one draws its value.
    Press(Qt::Key_Return);
    Press(Qt::Key_Down);
    Press(Qt::Key_Tab);
    EXPECT_FALSE(pageRange->HasFocus());
    EXPECT_FALSE(pageRange->GetWindow()->isVisible());
    EXPECT_EQ(OptionLine(tree, "Page Range"), "Page Range = Selected Pages");
    EXPECT_EQ(OptionLine(tree, "Begin Page"), "Begin Page = 1");
}

// Committed from outside (the focus gone to the list of documents, a run),
// a drop-down editor leaves its value drawn, not a blank cell.
TEST(FrameKeys, ADropDownCommittedFromOutsideDrawsItsValue) {
    ShownFrame f;
    CChoiceTree& tree = f.frame.Options().Tree();
    auto* outputMode = static_cast<CChoiceTreeItemComboBox*>(tree.FindItem(CRightView::kOutputMode));
    FocusOptionEditor(f.frame, CRightView::kOutputMode);
    ASSERT_TRUE(EditorHasTheFocus());
    Press(Qt::Key_Down);
    f.Form().Grid().SetFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(outputMode->HasFocus());
    EXPECT_FALSE(outputMode->GetWindow()->isVisible());
    // The value cell shows its text: dark pixels on the window's colour.
    const RECT cell = outputMode->GetAttributeRect();
    const QImage list = tree.GetListWindow()->ClientWidget()->grab().toImage();
    int dark = 0;
    for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = cell.left; x < cell.right; ++x)
            dark += qGray(list.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(dark, 10) << OptionLine(tree, "Output Mode");
}

namespace {

// Dark pixels along a column of a widget's picture, from top to bottom.
int DarkPixelsDown(QWidget* widget, int x, int top, int bottom) {
    const QImage picture = widget->grab().toImage();
    int dark = 0;
    for (int y = top; y < bottom; ++y)
        dark += qGray(picture.pixel(x, y)) < 128 ? 1 : 0;
    return dark;
}

} // namespace

// Tabbing through the form's buttons and into the options shows where the
// focus is: the button's dotted focus frame, the focused row's rectangle.
TEST(FrameKeys, TheFocusShowsOnTheButtonsAndTheOptionRow) {
    ShownFrame f;
    CIconButton& open = f.Form().Button(ID_OPEN_FILE);
    const int unfocused = DarkPixelsDown(&open, 3, 3, open.height() - 3);
    f.Form().Grid().SetFocus();
    Press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), &open);
    EXPECT_GT(DarkPixelsDown(&open, 3, 3, open.height() - 3), unfocused + 5);

    CChoiceTree& tree = f.frame.Options().Tree();
    CWnd* list = tree.GetListWindow();
    const auto rowEdge = [&] {
        const CChoiceTreeItem* row = tree.FindItem(CRightView::kGeneral);
        const int top = row->GetOrigin().y - tree.GetScrollOffset();
        return DarkPixelsDown(list->ClientWidget(), list->GetClientRect().right - 3, top, top + row->GetHeight());
    };
    const int rowUnfocused = rowEdge();
    f.Form().Summary().TextEdit()->setFocus();
    Press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), list);
    EXPECT_GT(rowEdge(), rowUnfocused + 3);
}
