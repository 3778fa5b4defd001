#include "shell/editor_keys.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

bool FocusTakesKey(QWidget* focus, const QKeyEvent& key) {
    if (!focus || (key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35))
        return false;
    if (qobject_cast<QComboBox*>(focus) && !(key.modifiers() & Qt::ControlModifier))
        return true;
    QKeyEvent override(QEvent::ShortcutOverride, key.key(), key.modifiers(), key.text(), key.isAutoRepeat(),
                       static_cast<ushort>(key.count()));
    override.ignore();
    QCoreApplication::sendEvent(focus, &override);
    return override.isAccepted();
}

bool TabLeaves(QWidget* from, const QKeyEvent& key) {
    if ((key.key() != Qt::Key_Tab && key.key() != Qt::Key_Backtab) || (key.modifiers() & Qt::ControlModifier))
        return false;
    const bool forward = key.key() == Qt::Key_Tab && !(key.modifiers() & Qt::ShiftModifier);
    QWidget* next = from;
    do
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    while (next != from && (from->isAncestorOf(next) || !next->isVisible() || !next->isEnabled() ||
                            !(next->focusPolicy() & Qt::TabFocus)));
    next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}
