#include "report_pages.h"

#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

#include "diagrams/save_whole.h"

namespace lumibench::reports {
namespace {

// Line heights in points.
constexpr double kHeading = 22;
constexpr double kFactRow = 11.5;
constexpr double kTableRow = 10.5;
constexpr double kCaption = 12;
constexpr double kNote = 16;
constexpr double kAfterBlock = 6;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Height of a note, wrapped at `width`. Counted without font metrics (which
// need a running GUI), at an advance a little under DejaVu Sans's mean at
// 8 px, so the estimate errs toward room to spare.
double NoteHeight(const std::string& text, double width) {
    constexpr double kAdvance = 4.0;
    constexpr double kLine = 10;
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    const double perLine = std::max(1.0, std::floor(width / kAdvance));
    const double lines = std::max(1.0, std::ceil(static_cast<double>(characters) / perLine));
    return kNote + (lines - 1) * kLine;
}

void UseFont(QPainter& p, int pixels, bool bold = false, bool italic = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    // No ligatures: "fi" and "ffl" drawn as one glyph would make the PDF's
    // text unsearchable for the words that hold them.
    font.setStyleStrategy(QFont::PreferNoShaping);
    p.setFont(font);
}

const QColor kInk(0x20, 0x20, 0x20);
const QColor kAccent(0x1f, 0x4e, 0x79);
const QColor kRule(0xb0, 0xb8, 0xc0);
const QColor kShade(0xee, 0xf2, 0xf6);

// Column widths in proportion to the longest text each holds.
std::vector<double> ColumnShares(const ReportTable& table) {
    std::vector<double> widths(table.header.size(), 3);
    auto widen = [&](const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < widths.size() && c < cells.size(); ++c)
            widths[c] = std::max(widths[c], static_cast<double>(QString::fromStdString(cells[c]).size()) + 1.5);
    };
    widen(table.header);
    for (const auto& row : table.rows) widen(row);
    double total = 0;
    for (double w : widths) total += w;
    for (double& w : widths) w /= total;
    return widths;
}

void PaintFacts(QPainter& p, const QRectF& r, const ReportBlock& b) {
    const double labelWidth = r.width() * 0.45;
    double y = r.top();
    for (std::size_t i = 0; i < b.facts.size(); ++i) {
        const auto& [label, value] = b.facts[i];
        if (i % 2 == 1) p.fillRect(QRectF(r.left(), y, r.width(), kFactRow), kShade);
        p.setPen(QColor(0x50, 0x50, 0x50));
        UseFont(p, 7);
        const QFontMetricsF labelMetrics(p.font());
        p.drawText(QRectF(r.left() + 2, y, labelWidth - 4, kFactRow), Qt::AlignLeft | Qt::AlignVCenter,
                   labelMetrics.elidedText(Q(label), Qt::ElideRight, labelWidth - 4));
        p.setPen(kInk);
        UseFont(p, 7, true);
        const QFontMetricsF valueMetrics(p.font());
        const double valueWidth = r.width() - labelWidth - 2;
        p.drawText(QRectF(r.left() + labelWidth, y, valueWidth, kFactRow), Qt::AlignLeft | Qt::AlignVCenter,
                   valueMetrics.elidedText(Q(value), Qt::ElideRight, valueWidth));
        y += kFactRow;
    }
}

void PaintTable(QPainter& p, const QRectF& r, const ReportBlock& b) {
    const ReportTable& t = b.table;
    double y = r.top();
    if (!b.text.empty()) {
        p.setPen(QColor(0x50, 0x50, 0x50));
        UseFont(p, 7, false, true);
        p.drawText(QRectF(r.left(), y, r.width(), kCaption), Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(p.font()).elidedText(Q(b.text), Qt::ElideRight, r.width()));
        y += kCaption;
    }
    const std::vector<double> shares = ColumnShares(t);
    if (!t.groups.empty()) {
        double x = r.left();
        std::size_t column = 0;
        UseFont(p, 7, true);
        for (const auto& [label, span] : t.groups) {
            double w = 0;
            for (int k = 0; k < span && column < shares.size(); ++k) w += r.width() * shares[column++];
            if (!label.empty()) {
                // Dark ink on a pale band: the group names must read in print too.
                p.fillRect(QRectF(x + 1, y, w - 2, kTableRow), kShade);
                p.setPen(kAccent);
                p.drawText(QRectF(x, y, w, kTableRow), Qt::AlignCenter, Q(label));
            }
            x += w;
        }
        y += kTableRow;
    }
    auto row = [&](const std::vector<std::string>& cells, bool header, bool shaded) {
        if (header) p.fillRect(QRectF(r.left(), y, r.width(), kTableRow), kAccent);
        else if (shaded) p.fillRect(QRectF(r.left(), y, r.width(), kTableRow), kShade);
        p.setPen(header ? Qt::white : kInk);
        const int pixels = t.header.size() > 12 ? 6 : 7;
        UseFont(p, pixels, header);
        const QFontMetricsF metrics(p.font());
        double x = r.left();
        for (std::size_t c = 0; c < t.header.size(); ++c) {
            const double w = r.width() * shares[c];
            const QString text = c < cells.size() ? Q(cells[c]) : QString();
            p.drawText(QRectF(x + 2, y, w - 4, kTableRow), (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                       metrics.elidedText(text, Qt::ElideRight, w - 4));
            x += w;
        }
        y += kTableRow;
    };
    row(t.header, true, false);
    for (std::size_t i = 0; i < t.rows.size(); ++i) row(t.rows[i], false, i % 2 == 1);
    p.setPen(QPen(kRule, 0.5));
    p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
}

void PaintBlock(QPainter& p, const QRectF& r, const ReportBlock& b, const PageLayout& layout) {
    switch (b.kind) {
    case ReportBlock::Kind::Heading:
        p.setPen(kAccent);
        UseFont(p, 11, true);
        p.drawText(QRectF(r.left(), r.top() + 4, r.width(), 14), Qt::AlignLeft | Qt::AlignVCenter, Q(b.text));
        p.setPen(QPen(kAccent, 0.8));
        p.drawLine(QPointF(r.left(), r.top() + 19), QPointF(r.right(), r.top() + 19));
        break;
    case ReportBlock::Kind::Facts: PaintFacts(p, r, b); break;
    case ReportBlock::Kind::Table: PaintTable(p, r, b); break;
    case ReportBlock::Kind::Figure:
        if (b.paint) {
            p.save();
            p.setClipRect(QRectF(r.left(), r.top(), r.width(), b.height));
            b.paint(p, QRectF(r.left(), r.top(), r.width(), b.height));
            p.restore();
        }
        p.setPen(QColor(0x50, 0x50, 0x50));
        UseFont(p, 7, false, true);
        p.drawText(QRectF(r.left(), r.top() + b.height, r.width(), kCaption), Qt::AlignHCenter | Qt::AlignVCenter,
                   Q(b.text));
        break;
    case ReportBlock::Kind::Note:
        p.setPen(kInk);
        UseFont(p, 8, false, true);
        p.drawText(QRectF(r.left(), r.top(), r.width(), NoteHeight(b.text, r.width())),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, Q(b.text));
        break;
    case ReportBlock::Kind::Columns: {
        const std::size_t n = std::max<std::size_t>(1, b.columns.size());
        const double w = (r.width() - layout.columnGap * static_cast<double>(n - 1)) / static_cast<double>(n);
        for (std::size_t i = 0; i < b.columns.size(); ++i)
            PaintBlock(p, QRectF(r.left() + static_cast<double>(i) * (w + layout.columnGap), r.top(), w, r.height()),
                       b.columns[i], layout);
        break;
    }
    }
}

void PaintHeader(QPainter& p, const ReportDocument& doc, const ReportIdentity& identity, const QImage& banner,
                 const PageLayout& layout) {
    const double left = layout.margin;
    const double top = layout.margin;
    const double width = layout.bodyWidth();
    const double bannerHeight = 40;
    double bannerWidth = 0;
    if (!banner.isNull() && banner.height() > 0) {
        bannerWidth = std::min(width * 0.45, bannerHeight * banner.width() / banner.height());
        const double h = bannerWidth * banner.height() / banner.width();
        p.drawImage(QRectF(left, top + (bannerHeight - h) / 2, bannerWidth, h), banner);
    }
    // The user's company and contact at the right.
    p.setPen(kInk);
    UseFont(p, 10, true);
    const double textLeft = left + bannerWidth + 12;
    const double textWidth = left + width - textLeft;
    p.drawText(QRectF(textLeft, top, textWidth, 13), Qt::AlignRight | Qt::AlignVCenter, Q(identity.company));
    UseFont(p, 7);
    double y = top + 13;
    for (const std::string& line : identity.contact) {
        if (y > top + bannerHeight) break;
        p.drawText(QRectF(textLeft, y, textWidth, 9), Qt::AlignRight | Qt::AlignVCenter,
                   QFontMetricsF(p.font()).elidedText(Q(line), Qt::ElideRight, textWidth));
        y += 9;
    }
    // The title band.
    const double bandTop = top + bannerHeight + 6;
    p.fillRect(QRectF(left, bandTop, width, 20), kAccent);
    p.setPen(Qt::white);
    UseFont(p, 11, true);
    p.drawText(QRectF(left + 6, bandTop, width * 0.4, 20), Qt::AlignLeft | Qt::AlignVCenter, Q(doc.title));
    // A long luminaire name wraps onto a second line in a smaller type
    // rather than losing its end; only what two lines cannot hold is cut.
    const QRectF nameBox(left + width * 0.4, bandTop, width * 0.6 - 6, 20);
    UseFont(p, 9);
    if (QFontMetricsF(p.font()).horizontalAdvance(Q(doc.luminaire)) <= nameBox.width()) {
        p.drawText(nameBox, Qt::AlignRight | Qt::AlignVCenter, Q(doc.luminaire));
    } else {
        UseFont(p, 7);
        const QFontMetricsF fm(p.font());
        QString name = Q(doc.luminaire);
        const int flags = Qt::AlignRight | Qt::AlignVCenter | Qt::TextWordWrap;
        while (name.size() > 1 && fm.boundingRect(nameBox, flags, name).height() > 2.5 * fm.height()) {
            name = name.left(name.size() - 2) + QChar(0x2026);
        }
        p.drawText(nameBox, flags, name);
    }
}

void PaintFooter(QPainter& p, const ReportDocument& doc, std::size_t index, std::size_t count, const PageLayout& layout) {
    const double y = layout.height - layout.margin - layout.footerHeight + 6;
    p.setPen(QPen(kRule, 0.5));
    p.drawLine(QPointF(layout.margin, y), QPointF(layout.width - layout.margin, y));
    p.setPen(QColor(0x60, 0x60, 0x60));
    UseFont(p, 7);
    const double half = layout.bodyWidth() / 2;
    p.drawText(QRectF(layout.margin, y + 2, half, 10), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(p.font()).elidedText(Q(doc.file), Qt::ElideMiddle, half));
    p.drawText(QRectF(layout.margin + half, y + 2, half, 10), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Page %1 of %2").arg(index + 1).arg(count));
}

}  // namespace

double BlockHeight(const ReportBlock& block, double width, const PageLayout& layout) {
    switch (block.kind) {
    case ReportBlock::Kind::Heading: return kHeading;
    case ReportBlock::Kind::Facts: return static_cast<double>(block.facts.size()) * kFactRow + kAfterBlock;
    case ReportBlock::Kind::Table:
        return (block.text.empty() ? 0 : kCaption) +
               static_cast<double>(block.table.rows.size() + 1 + (block.table.groups.empty() ? 0 : 1)) * kTableRow +
               kAfterBlock;
    case ReportBlock::Kind::Figure: return block.height + kCaption + kAfterBlock;
    case ReportBlock::Kind::Note: return NoteHeight(block.text, width) + kAfterBlock;
    case ReportBlock::Kind::Columns: {
        double tallest = 0;
        const std::size_t n = std::max<std::size_t>(1, block.columns.size());
        const double w = (width - layout.columnGap * static_cast<double>(n - 1)) / static_cast<double>(n);
        for (const ReportBlock& column : block.columns) tallest = std::max(tallest, BlockHeight(column, w, layout));
        return tallest;
    }
    }
    return 0;
}

std::vector<ReportPage> Paginate(const ReportDocument& doc, const PageLayout& layout) {
    std::vector<ReportPage> pages(1);
    double y = layout.bodyTop();
    const auto& blocks = doc.blocks;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const double h = BlockHeight(blocks[i], layout.bodyWidth(), layout);
        double needed = h;
        // A heading needs room for what it heads as well.
        if (blocks[i].kind == ReportBlock::Kind::Heading && i + 1 < blocks.size())
            needed += BlockHeight(blocks[i + 1], layout.bodyWidth(), layout);
        // A block too tall for any page stays after its heading.
        const bool onlyItsHeading = pages.back().size() == 1 && i > 0 && pages.back().back().index == i - 1 &&
                                    blocks[i - 1].kind == ReportBlock::Kind::Heading;
        if (y + needed > layout.bodyBottom() && !pages.back().empty() && !onlyItsHeading) {
            pages.emplace_back();
            y = layout.bodyTop();
        }
        pages.back().push_back({i, y, h});
        y += h;
    }
    return pages;
}

void PaintReportPage(QPainter& painter, const ReportDocument& doc, const ReportIdentity& identity, const QImage& banner,
                     const std::vector<ReportPage>& pages, std::size_t index, const PageLayout& layout) {
    if (index >= pages.size()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintHeader(painter, doc, identity, banner, layout);
    for (const PlacedBlock& placed : pages[index]) {
        PaintBlock(painter, QRectF(layout.margin, placed.top, layout.bodyWidth(), placed.height), doc.blocks[placed.index],
                   layout);
    }
    PaintFooter(painter, doc, index, pages.size(), layout);
    painter.restore();
}

QImage LoadBanner(const ReportIdentity& identity) {
    if (identity.bannerPath.empty()) return {};
    QImage image(Q(identity.bannerPath));
    return image;
}

int PaintReport(QPagedPaintDevice& device, const ReportDocument& doc, const ReportIdentity& identity) {
    const PageLayout layout;
    const auto pages = Paginate(doc, layout);
    const QImage banner = LoadBanner(identity);
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    // Points onto the device's page, A4 proportions kept.
    const double scale = std::min(device.width() / layout.width, device.height() / layout.height);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) return static_cast<int>(i);
        painter.save();
        painter.scale(scale, scale);
        PaintReportPage(painter, doc, identity, banner, pages, i, layout);
        painter.restore();
    }
    painter.end();
    return static_cast<int>(pages.size());
}

bool WriteReportPdf(const QString& path, const ReportDocument& doc, const ReportIdentity& identity, QString* error) {
    return WriteReportPdf(QFile::encodeName(path).toStdString(), doc, identity, error);
}

bool WriteReportPdf(const std::string& path, const ReportDocument& doc, const ReportIdentity& identity, QString* error) {
    // Into a temporary file first: a failed or cancelled run never leaves half a report.
    bool painted = true;
    const bool saved = diagrams::SaveWhole(
        path,
        [&](QIODevice& file) {
            QPdfWriter pdf(&file);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setResolution(600);
            pdf.setTitle(Q(doc.title + " - " + doc.luminaire));
            pdf.setCreator(QStringLiteral("Lumibench"));
            painted = PaintReport(pdf, doc, identity) != 0;
            return painted;
        },
        error);
    if (!painted && error) *error = QStringLiteral("the PDF could not be painted");
    return saved;
}

QImage RenderReportPage(const ReportDocument& doc, const ReportIdentity& identity, const QImage& banner,
                        const std::vector<ReportPage>& pages, std::size_t index, int widthPixels) {
    const PageLayout layout;
    const double scale = widthPixels / layout.width;
    QImage image(widthPixels, static_cast<int>(std::lround(layout.height * scale)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    PaintReportPage(painter, doc, identity, banner, pages, index, layout);
    return image;
}

}  // namespace lumibench::reports
