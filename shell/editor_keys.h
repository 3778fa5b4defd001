#pragma once
// Which window a key belongs to: the innermost one that takes it. An editor
// (a line, a spinner, a text) takes its editing keys, as its shortcut
// override says; a drop-down list takes keys without Ctrl. Function keys are
// never an editor's, so F5 and Shift+F5 reach the commands from anywhere.
class QKeyEvent;
class QWidget;

bool FocusTakesKey(QWidget* focus, const QKeyEvent& key);
