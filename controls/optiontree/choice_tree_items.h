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

// ---- drop-down list

class CChoiceTreeItemComboBox : public CChoiceTreeItem {
public:
    CChoiceTreeItemComboBox();
    ~CChoiceTreeItemComboBox() override;
    // Makes the list window, once the item is in a tree.
    bool CreateComboItem(uint32_t extraStyle = 0);
    CComboBox* GetWindow();
    bool HasFocus() const { return hasFocus_; }

    std::string GetValueText() const override;
    void DrawAttribute(CDC* dc, const RECT& rect) override;
    void OnActivate() override;
    void OnLayoutChanged() override;
    void OnRefresh() override;
    void OnCommit() override;
    void OnDeselect() override;
    void DestroyEditor() override;

private:
    class Window;
    void Place(int height, bool show);
    Window* combo_ = nullptr;
    bool hasFocus_ = false;
};

// ---- number spinner

class CChoiceTreeSpinnerButton;

class CChoiceTreeItemSpinner : public CChoiceTreeItem {
public:
    CChoiceTreeItemSpinner();
    ~CChoiceTreeItemSpinner() override;
    bool CreateSpinnerItem(UINT options, double value, double lower, double upper);
    bool GetEditInt(int* value) const;
    bool GetEditDouble(double* value) const;
    void SetEditInt(int value);
    void SetEditDouble(double value);
    std::string GetEditText() const;
    CChoiceTreeSpinnerButton* GetWindow() { return button_; }
    bool HasFocus() const { return hasFocus_; }

    std::string GetValueText() const override { return GetEditText(); }
    void DrawAttribute(CDC* dc, const RECT& rect) override;
    void OnActivate() override;
    void OnLayoutChanged() override;
    void OnRefresh() override;
    void OnCommit() override;
    void OnDeselect() override;
    void DestroyEditor() override;

private:
    friend class CChoiceTreeSpinnerButton;
    void Place(bool show);
    CChoiceTreeSpinnerButton* button_ = nullptr;
    bool hasFocus_ = false;
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
    void FocusEntered() { item_->hasFocus_ = true; }

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
