#include "screen_capture.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <set>

namespace lumibench::testing {

QImage CaptureScreen(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return {};
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    QImage image;
    if (screen->root_depth == 24 || screen->root_depth == 32) {
        xcb_get_image_reply_t* reply = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0, screen->width_in_pixels,
                             screen->height_in_pixels, ~0u),
            nullptr);
        if (reply) {
            const int w = screen->width_in_pixels, h = screen->height_in_pixels;
            if (xcb_get_image_data_length(reply) >= w * h * 4) {
                image = QImage(xcb_get_image_data(reply), w, h, w * 4, QImage::Format_RGB32).copy();
            }
            std::free(reply);
        }
    }
    xcb_disconnect(c);
    return image;
}

std::size_t ColourCount(const QImage& image, const QRect& area, int step) {
    std::set<QRgb> colours;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); y += step) {
        for (int x = r.left(); x <= r.right(); x += step) colours.insert(image.pixel(x, y));
    }
    return colours.size();
}

}  // namespace lumibench::testing
