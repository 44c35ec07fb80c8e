// Writes the program's icon as a PNG at build time, so that the installed
// bitmap and the one in the window's title bar come from the same drawing:
// vorin99-make-icon <file.png> <size>
#include "shell/AppIcon.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: vorin99-make-icon <file.png> <size>\n", stderr);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    if (size <= 0 || size > 4096) {
        std::fputs("vorin99-make-icon: the size must be 1 to 4096 pixels\n", stderr);
        return 2;
    }
    if (!vorin::appIconImage(size).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "vorin99-make-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
