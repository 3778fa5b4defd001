#pragma once
// A grid set up as the file list sets it up, inside an owner window that
// writes down the notifications it receives and can veto edits.
#include "controls/grid/data_grid.h"
#include "controls/grid/grid_dump.h"
#include "shell/file_list_grid.h"
#include "tests/support/gui_support.h"

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

class GridOwner : public CWnd {
public:
    std::vector<std::string> notes;
    LRESULT beginEditAnswer = 0;
    LRESULT endEditAnswer = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NOTIFY) {
            const auto* notify = reinterpret_cast<const GRID_NOTIFY*>(lParam);
            if (notify->hdr.idFrom != 1021)
                return 0;
            notes.push_back(CodeName(notify->hdr.code) + " " + std::to_string(notify->iRow) + "," +
                            std::to_string(notify->iColumn));
            if (notify->hdr.code == LVN_BEGINLABELEDIT)
                return beginEditAnswer;
            if (notify->hdr.code == LVN_ENDLABELEDIT)
                return endEditAnswer;
            return 0;
        }
        if (message == WM_COMMAND && LOWORD(wParam) == 1021)
            notes.push_back("WM_COMMAND BN_CLICKED");
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    static std::string CodeName(int code) {
        switch (code) {
        case LVN_ITEMCHANGING: return "ITEMCHANGING";
        case LVN_ITEMCHANGED: return "ITEMCHANGED";
        case LVN_BEGINLABELEDIT: return "BEGINLABELEDIT";
        case LVN_ENDLABELEDIT: return "ENDLABELEDIT";
        case NM_CLICK: return "CLICK";
        case NM_DBLCLK: return "DBLCLK";
        case NM_RCLICK: return "RCLICK";
        default: return std::to_string(code);
        }
    }
};

// The file list's grid with a few entries named doc1.pdf, doc2.pdf...
struct FileListGrid {
    GridOwner owner;
    CDataGrid grid;

    explicit FileListGrid(int entries = 5, int width = 660, int height = 300) {
        owner.resize(width + 20, height + 20);
        grid.Create(RECT{0, 0, width, height}, &owner, 1021);
        SetUpFileListGrid(grid);
        for (int i = 0; i < entries; ++i)
            AddFileListEntry(grid, "doc" + std::to_string(i + 1) + ".pdf", "12 KB", "10:00:00 12/10/2026");
        grid.SetModified(false);
        ShowExposed(&owner);
    }

    QWidget* Client() { return grid.ClientWidget(); }
    // The middle of a cell, in the grid's client coordinates.
    QPoint Centre(int row, int col) {
        RECT rect;
        grid.GetCellRect(row, col, &rect);
        return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    }
    void Click(int row, int col, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(Client(), Qt::LeftButton, modifiers, Centre(row, col));
        QCoreApplication::processEvents();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &grid;
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
        QCoreApplication::processEvents();
    }
    std::string Row(int row) {
        // The dump line of one row.
        const std::string dump = DumpGrid(grid);
        const std::string head = "row " + std::to_string(row) + " ";
        const size_t at = dump.find(head);
        return at == std::string::npos ? "" : dump.substr(at, dump.find('\n', at) - at);
    }
};
