#pragma once
// The standard controls, over Qt widgets hosted by a CWnd: a single-line
// edit (CEdit, over QLineEdit) and a drop-down list (CComboBox, over
// QComboBox). They answer the edit and combo-box messages; their keys, focus
// and mouse input pass through the window procedure first, so a derived
// class or a hook can act on them before the Qt widget does.
#include "platform/ui/wnd.h"

class QLineEdit;
class QComboBox;

enum : UINT {
    EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_SCROLLCARET = 0x00B7, EM_CANUNDO = 0x00C6,
    CB_ADDSTRING = 0x0143, CB_GETCOUNT = 0x0146, CB_GETCURSEL = 0x0147, CB_GETLBTEXT = 0x0148,
    CB_RESETCONTENT = 0x014B, CB_SETCURSEL = 0x014E, CB_SHOWDROPDOWN = 0x014F, CB_SETITEMHEIGHT = 0x0153,
};
enum : LRESULT { CB_ERR = -1 };
// Edit styles (the low bits of the window style).
enum : uint32_t { ES_LEFT = 0x0, ES_CENTER = 0x1, ES_RIGHT = 0x2, ES_AUTOHSCROLL = 0x80 };
// WM_COMMAND notifications to the parent (high word of wParam).
enum : UINT { EN_CHANGE = 0x0300, CBN_SELCHANGE = 1 };

class CEdit : public CWnd {
public:
    explicit CEdit(QWidget* parent = nullptr);
    QLineEdit* LineEdit() const { return edit_; }

    void SetSel(int start, int end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
    // The selection as start and end positions.
    std::pair<int, int> GetSel();

protected:
    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    QLineEdit* edit_;
};

class CComboBox : public CWnd {
public:
    explicit CComboBox(QWidget* parent = nullptr);
    QComboBox* ComboBox() const { return combo_; }

    int AddString(const std::string& text) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetCurSel() { return static_cast<int>(SendMessage(CB_GETCURSEL)); }

protected:
    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    QComboBox* combo_;
    bool selecting_ = false;
    int fieldHeight_ = 0; // 0: the height the style gives
};
