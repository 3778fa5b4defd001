#pragma once
// The menu bar's state while the user moves through its menus, in plain
// C++: which button is hot, which menu is open, which opens next, whether
// Left and Right switch menus, and what each input of the open menu does.
enum TrackingState : int { TRACK_NONE = 0, TRACK_BUTTON = 1, TRACK_POPUP = 2 };

class MenuBarTracking {
public:
    explicit MenuBarTracking(int buttonCount = 0) : buttonCount_(buttonCount) {}
    void SetButtonCount(int count) { buttonCount_ = count; }

    TrackingState State() const { return state_; }
    int HotItem() const { return hot_; }
    int PopupButton() const { return popupButton_; }
    int NextPopup() const { return nextPopup_; }
    bool ProcessLeft() const { return processLeft_; }
    bool ProcessRight() const { return processRight_; }
    bool Escaped() const { return escape_; }

    // Nothing when the state does not change. TRACK_NONE takes the hot item
    // away; entering TRACK_POPUP clears Esc, lets Left and Right switch
    // menus and records the button whose menu is open.
    void SetTrackingState(TrackingState state, int button);
    // A menu opens for button: no menu is to follow it yet.
    void BeginPopup(int button);
    // The open menu closed: the button stays hot after Esc. Returns the
    // button whose menu opens next, -1 for none.
    int EndPopup();

    // In TRACK_BUTTON, the button under the mouse becomes hot.
    void HotTrack(int button);

    // Inputs of the open menu; true when the menu must close (the input is
    // then swallowed). button: the bar button under the mouse, -1 for none.
    bool OnKeyLeft();
    bool OnKeyRight();
    void OnKeyEscape() { escape_ = true; }
    bool OnMouseOver(int button);
    bool OnMouseDown(int button);

    // A menu item was highlighted: Right opens a cascade instead of the next
    // menu, and Left leaves a cascade instead of switching menus.
    void OnMenuSelect(bool itemOpensSubmenu, bool inBarPopup);

private:
    // Asks for the open menu to close and button's menu to follow (-1:
    // none); false when button's menu is the one open.
    bool CancelMenuAndTrackNewOne(int button);
    bool ValidButton(int button) const { return button >= 0 && button < buttonCount_; }

    int buttonCount_;
    TrackingState state_ = TRACK_NONE;
    int hot_ = -1;
    int popupButton_ = -1;
    int nextPopup_ = -1;
    bool processLeft_ = false;
    bool processRight_ = false;
    bool escape_ = false;
};
