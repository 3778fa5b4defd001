// The main of every GUI test: an offscreen application (or the platform
// VELLUMIN_TEST_PLATFORM names, for tests in a real X server) with a fixed DPI, a
// fixed font and style, the classic system colours and metrics, so that
// pixels and sizes are predictable.
#include "platform/ui/system_colors.h"
#include "platform/ui/system_metrics.h"

#include <QApplication>
#include <QFont>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const char* platform = std::getenv("VELLUMIN_TEST_PLATFORM");
    setenv("QT_QPA_PLATFORM", platform ? platform : "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    QFont font("DejaVu Sans");
    font.setPixelSize(14);
    QApplication::setFont(font);
    PinSysColors();
    PinSystemSettings(ClassicSystemSettings());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
