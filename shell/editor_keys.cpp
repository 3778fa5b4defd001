#include "shell/editor_keys.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>

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
