// x11_screen_capture DISPLAY OUT.png [x y w h]: saves what the X server shows.
#include <QGuiApplication>

#include <cstdio>
#include <string>

#include "screen_capture.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 7) {
        std::fprintf(stderr, "usage: x11_screen_capture DISPLAY OUT.png [x y w h]\n");
        return 2;
    }
    QImage image = lumibench::testing::CaptureScreen(argv[1]);
    if (image.isNull()) return 1;
    if (argc == 7) image = image.copy(std::stoi(argv[3]), std::stoi(argv[4]), std::stoi(argv[5]), std::stoi(argv[6]));
    return image.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
