#pragma once
// One diagram into a PNG, SVG or PDF file, or an image for the clipboard.

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace lumibench::diagrams {

enum class ExportFormat { Png, Svg, Pdf };

// By the file's extension, case ignored; nullopt for any other.
std::optional<ExportFormat> ExportFormatFor(const QString& path);

using PaintFunction = std::function<void(QPainter&, const QRectF&)>;

// Paints into `path`: PNG and SVG at `size` pixels, PDF on an A4 landscape
// page at 300 dpi. Returns false with a reason when the file cannot be
// written or the extension is none of the three.
bool ExportDiagram(const QString& path, QSize size, const PaintFunction& paint, QString* error = nullptr);

// The diagram as an image on white.
QImage RenderDiagram(QSize size, const PaintFunction& paint);

}  // namespace lumibench::diagrams
