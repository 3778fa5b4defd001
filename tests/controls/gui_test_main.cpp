// The main of every GUI test: an offscreen application with a fixed DPI, a
// fixed font and the classic system colours, so that pixels are predictable.
#include "platform/ui/system_colors.h"

#include <QApplication>
#include <QFont>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication app(argc, argv);
    QFont font("DejaVu Sans");
    font.setPixelSize(14);
    QApplication::setFont(font);
    PinSysColors();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
