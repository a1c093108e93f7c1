#include "diagrams/diagram_export.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace lumibench::diagrams {

std::optional<ExportFormat> ExportFormatFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) return ExportFormat::Png;
    if (suffix == QLatin1String("svg")) return ExportFormat::Svg;
    if (suffix == QLatin1String("pdf")) return ExportFormat::Pdf;
    return std::nullopt;
}

QImage RenderDiagram(QSize size, const PaintFunction& paint) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    painter.end();
    return image;
}

bool ExportDiagram(const QString& path, QSize size, const PaintFunction& paint, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const auto format = ExportFormatFor(path);
    if (!format) return fail(QStringLiteral("Choose a file name ending in .png, .svg or .pdf."));
    size = size.expandedTo(QSize(16, 16));
    switch (*format) {
    case ExportFormat::Png:
        if (!RenderDiagram(size, paint).save(path, "PNG")) return fail(QStringLiteral("Cannot write ") + path);
        return true;
    case ExportFormat::Svg: {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QFileInfo(path).completeBaseName());
        QPainter painter;
        if (!painter.begin(&svg)) return fail(QStringLiteral("Cannot write ") + path);
        paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        return QFileInfo(path).size() > 0 || fail(QStringLiteral("Cannot write ") + path);
    }
    case ExportFormat::Pdf: {
        QPdfWriter pdf(path);
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12)));
        QPainter painter;
        if (!painter.begin(&pdf)) return fail(QStringLiteral("Cannot write ") + path);
        const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
        paint(painter, QRectF(QPointF(0, 0), QSizeF(page.size())));
        painter.end();
        return true;
    }
    }
    return fail(QStringLiteral("Unknown format"));
}

}  // namespace lumibench::diagrams
