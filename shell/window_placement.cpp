#include "shell/window_placement.h"
#include "shell/main_frame.h"

#include "platform/ini_profile.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

const char kSection[] = "Window";

int Read(const char* key, const std::string& path) { return platform::GetPrivateProfileInt(kSection, key, -1, path); }
void Write(const char* key, int value, const std::string& path) {
    platform::WritePrivateProfileString(kSection, key, std::to_string(value), path);
}

// The rectangle moved, and shrunk where it is larger, into area.
QRect Within(QRect rect, const QRect& area) {
    rect.setWidth(std::min(rect.width(), area.width()));
    rect.setHeight(std::min(rect.height(), area.height()));
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() + 1 - rect.width()));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() + 1 - rect.height()));
    return rect;
}

} // namespace

void SaveWindowPlacement(CMainFrame& frame, const std::string& settingsPath) {
    const QRect normal = frame.normalGeometry().isValid() ? frame.normalGeometry() : frame.geometry();
    Write("Left", normal.x(), settingsPath);
    Write("Top", normal.y(), settingsPath);
    Write("Width", normal.width(), settingsPath);
    Write("Height", normal.height(), settingsPath);
    Write("Maximized", frame.isMaximized() ? 1 : 0, settingsPath);
    Write("Splitter", frame.Splitter().sizes().value(0), settingsPath);
}

void RestoreWindowPlacement(CMainFrame& frame, const std::string& settingsPath) {
    const QRect kept(Read("Left", settingsPath), Read("Top", settingsPath), Read("Width", settingsPath),
                     Read("Height", settingsPath));
    if (kept.width() > 0 && kept.height() > 0) {
        const QScreen* screen = QGuiApplication::screenAt(kept.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        frame.setGeometry(screen ? Within(kept, screen->availableGeometry()) : kept);
    }
    if (Read("Maximized", settingsPath) == 1)
        frame.setWindowState(frame.windowState() | Qt::WindowMaximized);
    if (const int splitter = Read("Splitter", settingsPath); splitter > 0) {
        const QList<int> sizes = frame.Splitter().sizes();
        const int whole = std::max(sizes.value(0) + sizes.value(1), splitter + 1);
        frame.Splitter().setSizes({splitter, whole - splitter});
    }
}
