#pragma once
// A report document laid onto A4 pages and painted on any paged device: a
// PDF file (vector diagrams, selectable text), a printer, or an image for the
// preview. Every page carries the banner and the user's company at its head
// and the page number at its foot.

#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QString>

#include <vector>

#include "report_document.h"

namespace lumibench::reports {

// Page geometry in points (1/72 inch).
struct PageLayout {
    double width = 595.3;   // A4
    double height = 841.9;
    double margin = 36;
    double headerHeight = 74;  // banner, company and title
    double footerHeight = 18;
    double columnGap = 16;
    double bodyTop() const { return margin + headerHeight; }
    double bodyBottom() const { return height - margin - footerHeight; }
    double bodyWidth() const { return width - 2 * margin; }
};

// Height in points a block takes at `width`.
double BlockHeight(const ReportBlock& block, double width, const PageLayout& layout);

struct PlacedBlock {
    std::size_t index = 0;  // into ReportDocument::blocks
    double top = 0;         // points from the page's top edge
    double height = 0;
};
using ReportPage = std::vector<PlacedBlock>;

// Blocks in order, a new page when the next one does not fit; a heading
// moves on with the block after it. A block taller than a whole page gets a
// page of its own. At least one page.
std::vector<ReportPage> Paginate(const ReportDocument& doc, const PageLayout& layout = {});

// Paints page `index` with the painter's units in points (the caller scales).
void PaintReportPage(QPainter& painter, const ReportDocument& doc, const ReportIdentity& identity,
                     const QImage& banner, const std::vector<ReportPage>& pages, std::size_t index,
                     const PageLayout& layout = {});

// The banner picture of the identity; null when there is none or it cannot be read.
QImage LoadBanner(const ReportIdentity& identity);

// Every page onto `device` (a printer or a PDF writer), scaled to its page.
// Returns the number of pages painted, 0 when the device could not be painted on.
int PaintReport(QPagedPaintDevice& device, const ReportDocument& doc, const ReportIdentity& identity);

// A PDF file of the report; false with a reason when it cannot be written.
bool WriteReportPdf(const QString& path, const ReportDocument& doc, const ReportIdentity& identity,
                    QString* error = nullptr);
// The same with `path` as the file system's bytes (a name that is not UTF-8 kept).
bool WriteReportPdf(const std::string& path, const ReportDocument& doc, const ReportIdentity& identity,
                    QString* error = nullptr);

// One page as an image `widthPixels` wide, for the preview.
QImage RenderReportPage(const ReportDocument& doc, const ReportIdentity& identity, const QImage& banner,
                        const std::vector<ReportPage>& pages, std::size_t index, int widthPixels);

}  // namespace lumibench::reports
