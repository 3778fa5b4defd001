#include "controls/bars/menu_bar_tracking.h"

void MenuBarTracking::SetTrackingState(TrackingState state, int button) {
    if (state == state_)
        return;
    hot_ = state == TRACK_NONE ? -1 : button;
    if (state == TRACK_POPUP) {
        escape_ = false;
        processLeft_ = processRight_ = true;
        popupButton_ = button;
    }
    state_ = state;
}

void MenuBarTracking::BeginPopup(int button) {
    nextPopup_ = -1;
    SetTrackingState(TRACK_POPUP, button);
}

int MenuBarTracking::EndPopup() {
    const int button = popupButton_;
    SetTrackingState(escape_ ? TRACK_BUTTON : TRACK_NONE, button);
    popupButton_ = -1;
    return nextPopup_;
}

void MenuBarTracking::HotTrack(int button) {
    if (state_ == TRACK_BUTTON && ValidButton(button))
        hot_ = button;
}

bool MenuBarTracking::OnKeyLeft() {
    if (!processLeft_ || buttonCount_ == 0)
        return false;
    return CancelMenuAndTrackNewOne((popupButton_ - 1 + buttonCount_) % buttonCount_);
}

bool MenuBarTracking::OnKeyRight() {
    if (!processRight_ || buttonCount_ == 0)
        return false;
    return CancelMenuAndTrackNewOne((popupButton_ + 1) % buttonCount_);
}

bool MenuBarTracking::OnMouseOver(int button) {
    if (!ValidButton(button) || button == popupButton_)
        return false;
    return CancelMenuAndTrackNewOne(button);
}

bool MenuBarTracking::OnMouseDown(int button) {
    if (button != popupButton_ || !ValidButton(button))
        return false;
    return CancelMenuAndTrackNewOne(-1);
}

void MenuBarTracking::OnMenuSelect(bool itemOpensSubmenu, bool inBarPopup) {
    if (state_ == TRACK_NONE)
        return;
    processRight_ = !itemOpensSubmenu;
    processLeft_ = inBarPopup;
}

bool MenuBarTracking::CancelMenuAndTrackNewOne(int button) {
    if (button == popupButton_)
        return false;
    nextPopup_ = button;
    return true;
}
