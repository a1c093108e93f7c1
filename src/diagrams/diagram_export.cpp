#include "diagrams/diagram_export.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "diagrams/save_whole.h"

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
    const auto format = ExportFormatFor(path);
    if (!format) {
        if (error) *error = QStringLiteral("Choose a file name ending in .png, .svg or .pdf.");
        return false;
    }
    size = size.expandedTo(QSize(16, 16));
    const auto write = [&](QIODevice& device) {
        QPainter painter;
        switch (*format) {
        case ExportFormat::Png:
            return RenderDiagram(size, paint).save(&device, "PNG");
        case ExportFormat::Svg: {
            QSvgGenerator svg;
            svg.setOutputDevice(&device);
            svg.setSize(size);
            svg.setViewBox(QRect(QPoint(0, 0), size));
            svg.setTitle(QFileInfo(path).completeBaseName());
            if (!painter.begin(&svg)) return false;
            paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
            return painter.end();
        }
        case ExportFormat::Pdf: {
            QPdfWriter pdf(&device);
            pdf.setResolution(300);
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12)));
            if (!painter.begin(&pdf)) return false;
            const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
            paint(painter, QRectF(QPointF(0, 0), QSizeF(page.size())));
            return painter.end();
        }
        }
        return false;
    };
    QString why;
    if (SaveWhole(path, write, &why)) return true;
    if (error) *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
    return false;
}

}  // namespace lumibench::diagrams
