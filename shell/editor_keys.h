#pragma once
// Which window a key belongs to: the innermost one that takes it. An editor
// (a line, a spinner, a text) takes its editing keys, as its shortcut
// override says; a drop-down list takes keys without Ctrl. Function keys are
// never an editor's, so F5 and Shift+F5 reach the commands from anywhere.
class QKeyEvent;
class QWidget;

bool FocusTakesKey(QWidget* focus, const QKeyEvent& key);

// For Tab and Shift+Tab (without Ctrl): moves the focus to the next (or
// previous) window Tab stops at, past from and its children, and says so.
// Windows that would use Tab inside (the list's cells, the tree's rows) let
// it go this way.
bool TabLeaves(QWidget* from, const QKeyEvent& key);
