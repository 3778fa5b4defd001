// vellumin-icons DIR: writes the application icon as DIR/NxN.png for the
// sizes a desktop looks for; the build runs it to make the installed icons.
#include "shell/app_icon.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vellumin-icons DIR\n");
        return 2;
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString path = QString("%1/%2x%2.png").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!AppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "Cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
