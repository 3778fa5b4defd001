#pragma once
// The option tree's item kinds with their in-place editors: a drop-down
// list, a number spinner with an editable text, and a folder (or file)
// chooser. Editors are children of the tree's list window, hidden until the
// item is activated; they commit when the focus leaves them for another
// window of the tree.
#include "controls/optiontree/choice_tree.h"
#include "platform/ui/std_controls.h"

#include <string>
#include <vector>

// Spinner options.
enum : UINT { CT_SPIN_EDITABLE = 0x400, CT_SPIN_WRAP = 0x40000 };
// File item options.
enum : UINT {
    CT_FILE_FOLDER = 0x8000, CT_FILE_OPENDIALOG = 0x20000, CT_FILE_SHOWFULLPATH = 0x40000,
    CT_FILE_SHOWFILENAME = 0x400, CT_FILE_SHOWFILETITLE = 0x200, CT_FILE_SHOWEXTENSION = 0x100,
    CT_FILE_SHOWDIRECTORY = 0x800, CT_FILE_SHOWDRIVE = 0x1000,
};
// Messages between the spinner's edit box and its button window.
enum : UINT { CTM_SPIN_COMMIT = 1282, CTM_SPIN_REFRESH = 1283, CTM_SPIN_UP = 1284, CTM_SPIN_DOWN = 1285 };

// What the kinds with an editor window share: the editor sits on the value
// cell, shows and takes the focus on activation, hides on commit and
// deselection and after a layout change unless it has the focus; while it
// has the focus the item draws nothing (the editor covers the cell).
class CChoiceTreeEditorItem : public CChoiceTreeItem {
public:
    ~CChoiceTreeEditorItem() override { DestroyEditor(); }
    bool HasFocus() const { return hasFocus_; }
    void SetHasFocus(bool focus) { hasFocus_ = focus; }

    void DrawAttribute(CDC* dc, const RECT& rect) override;
    void OnActivate() override;
    void OnLayoutChanged() override;
    void OnRefresh() override { Place(false); }
    void OnCommit() override;
    void OnDeselect() override { OnCommit(); }
    void DestroyEditor() override;

protected:
    // The editor window's height on the cell (when opened, or otherwise).
    virtual int EditorHeight(bool /*opened*/) const { return GetAttributeRect().Height() + 1; }
    void Place(bool opened);
    CWnd* editor_ = nullptr;

private:
    bool hasFocus_ = false;
};

// ---- drop-down list

class CChoiceTreeItemComboBox : public CChoiceTreeEditorItem {
public:
    // Makes the list window, once the item is in a tree.
    bool CreateComboItem(uint32_t extraStyle = 0);
    CComboBox* GetWindow();
    std::string GetValueText() const override;
    void OnActivate() override;
    // Ends the editing from the keyboard: the choice kept (Return) or the
    // one before it put back (Escape), committed either way.
    void CloseEditor(bool keep);

protected:
    // Opened, the window has room below the field for the dropped list.
    int EditorHeight(bool opened) const override;

private:
    class Window;
    int choiceBefore_ = -1; // the choice when the editor opened
};

// ---- number spinner

class CChoiceTreeSpinnerButton;

class CChoiceTreeItemSpinner : public CChoiceTreeEditorItem {
public:
    bool CreateSpinnerItem(UINT options, double value, double lower, double upper);
    bool GetEditInt(int* value) const;
    bool GetEditDouble(double* value) const;
    void SetEditInt(int value);
    void SetEditDouble(double value);
    std::string GetEditText() const;
    CChoiceTreeSpinnerButton* GetWindow() const;
    std::string GetValueText() const override { return GetEditText(); }
};

class CChoiceTreeSpinnerEdit : public CEdit {
public:
    explicit CChoiceTreeSpinnerEdit(CChoiceTreeSpinnerButton* button) : button_(button) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowContextMenu(LPARAM screenPoint);
    CChoiceTreeSpinnerButton* button_;
};

// The spinner's window: the edit box with two arrow buttons at its right.
class CChoiceTreeSpinnerButton : public CWnd {
public:
    CChoiceTreeSpinnerButton(CChoiceTreeItemSpinner* item, CChoiceTreeModel* tree);
    bool CreateButton(const RECT& rect, CWnd* parent, UINT id, UINT options, double lower, double upper);
    CChoiceTreeSpinnerEdit& Edit() { return edit_; }
    UINT Options() const { return options_; }
    void StepUp();
    void StepDown();
    RECT UpButton() const;
    RECT DownButton() const;
    // The edit box took the focus: the item is being edited.
    void FocusEntered() { item_->SetHasFocus(true); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void Commit();
    void Step(int direction);
    CChoiceTreeItemSpinner* item_;
    CChoiceTreeModel* tree_;
    CChoiceTreeSpinnerEdit edit_;
    double lower_ = 0, upper_ = 100;
    UINT options_ = 0;
    bool upPressed_ = false, downPressed_ = false;
    POINT pressed_{-1, -1};
    bool firstRepeat_ = false;
    int delay_ = 500, interval_ = 200;
};

// ---- folder or file chooser

class CChoiceTreeItemFile : public CChoiceTreeItem {
public:
    CChoiceTreeItemFile() = default;
    bool CreateFileItem(const std::string& initialPath, const std::string& extension, const std::string& filter,
                        UINT options, UINT dialogFlags);
    void SetDialogTitle(const std::string& title) { title_ = title; }
    // The folder of the last confirmed folder dialog; empty before one.
    std::string GetFolderPath() const { return folder_; }
    const std::vector<std::string>& GetPaths() const { return paths_; }
    std::string DisplayText() const;
    std::string GetValueText() const override { return DisplayText(); }

    void DrawAttribute(CDC* dc, const RECT& rect) override;
    void OnActivate() override;

private:
    UINT options_ = 0;
    UINT dialogFlags_ = 0;
    int defaultHeight_ = CT_ROW_HEIGHT;
    std::vector<std::string> paths_;
    std::string extension_, filter_, folder_;
    std::string title_ = "Select Folder";
};
