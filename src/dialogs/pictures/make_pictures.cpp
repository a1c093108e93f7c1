// Draws the default banner and the About picture into the program folder, so
// that the bundle carries no picture made elsewhere.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

// A batwing-like intensity curve, 0..1, by angle from nadir in degrees.
double Intensity(double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return std::clamp(0.55 * std::cos(a) + 0.6 * std::pow(std::sin(2 * a), 2), 0.0, 1.0);
}

// The polar curve of Intensity around `centre`, lower half, radius `radius`.
QPainterPath DistributionCurve(QPointF centre, double radius) {
    QPainterPath path;
    for (int d = -90; d <= 90; ++d) {
        const double a = d * std::numbers::pi / 180.0;
        const double r = radius * Intensity(std::abs(d));
        const QPointF point(centre.x() + r * std::sin(a), centre.y() + r * std::cos(a));
        if (d == -90) path.moveTo(point); else path.lineTo(point);
    }
    return path;
}

void DrawPolarGrid(QPainter& painter, QPointF centre, double radius, QColor colour) {
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= 4; ++ring) {
        const double r = radius * ring / 4;
        painter.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 180 * 16, 180 * 16);
    }
    for (int d = -90; d <= 90; d += 30) {
        const double a = d * std::numbers::pi / 180.0;
        painter.drawLine(centre, QPointF(centre.x() + radius * std::sin(a), centre.y() + radius * std::cos(a)));
    }
}

bool DrawBanner(const QString& path) {
    QImage image(1200, 240, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, 1200, 0);
    band.setColorAt(0, QColor(18, 42, 74));
    band.setColorAt(1, QColor(40, 88, 140));
    painter.fillRect(image.rect(), band);

    // A luminaire head and its light.
    const QPointF lamp(150, 40);
    QRadialGradient glow(lamp, 190);
    glow.setColorAt(0, QColor(255, 236, 170, 200));
    glow.setColorAt(1, QColor(255, 236, 170, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawPath(DistributionCurve(lamp, 190).translated(0, 0));
    painter.setBrush(QColor(230, 230, 235));
    painter.drawRoundedRect(QRectF(lamp.x() - 60, lamp.y() - 18, 120, 18), 6, 6);

    painter.setPen(Qt::white);
    QFont title("DejaVu Sans", 64, QFont::Bold);
    painter.setFont(title);
    painter.drawText(QRectF(330, 30, 860, 110), Qt::AlignLeft | Qt::AlignVCenter, "Lumibench");
    painter.setPen(QColor(200, 220, 240));
    painter.setFont(QFont("DejaVu Sans", 26));
    painter.drawText(QRectF(334, 140, 860, 60), Qt::AlignLeft | Qt::AlignVCenter, "Photometric reports");
    painter.end();
    return image.save(path, "JPG", 92);
}

bool DrawSplash(const QString& path) {
    QImage image(480, 360, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 360);
    sky.setColorAt(0, QColor(16, 30, 56));
    sky.setColorAt(1, QColor(36, 70, 118));
    painter.fillRect(image.rect(), sky);

    const QPointF centre(240, 70);
    DrawPolarGrid(painter, centre, 200, QColor(255, 255, 255, 60));
    painter.setPen(QPen(QColor(255, 214, 102), 3));
    painter.setBrush(QColor(255, 214, 102, 70));
    painter.drawPath(DistributionCurve(centre, 200));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(235, 235, 240));
    painter.drawRoundedRect(QRectF(centre.x() - 45, centre.y() - 16, 90, 16), 5, 5);

    painter.setPen(Qt::white);
    painter.setFont(QFont("DejaVu Sans", 34, QFont::Bold));
    painter.drawText(QRectF(0, 290, 480, 50), Qt::AlignCenter, "Lumibench");
    painter.end();
    return image.save(path, "JPG", 92);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
        return 2;
    }
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool ok = DrawBanner(folder + "/Lumibench_PE-Banner.jpg") && DrawSplash(folder + "/Lumibench_PE-Splash.jpg");
    if (!ok) std::fprintf(stderr, "could not write the pictures into %s\n", argv[1]);
    return ok ? 0 : 1;
}
