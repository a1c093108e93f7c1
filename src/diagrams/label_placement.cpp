#include "diagrams/label_placement.h"

#include <QLineF>

#include <cmath>

namespace lumibench::diagrams {
namespace {

// How finely a line is divided for candidates: up to sixteenths.
constexpr int kFinestDivision = 16;

QPointF PointAt(const std::vector<QPointF>& line, double distance) {
    for (std::size_t k = 1; k < line.size(); ++k) {
        const double piece = QLineF(line[k - 1], line[k]).length();
        if (piece >= distance && piece > 0) return line[k - 1] + (line[k] - line[k - 1]) * (distance / piece);
        distance -= piece;
    }
    return line.back();
}

}  // namespace

std::vector<QPointF> LabelCandidates(const std::vector<QPointF>& line) {
    std::vector<QPointF> points;
    if (line.empty()) return points;
    double total = 0;
    for (std::size_t k = 1; k < line.size(); ++k) total += QLineF(line[k - 1], line[k]).length();
    if (!(total > 0)) return {line.front()};
    for (int division = 2; division <= kFinestDivision; division *= 2) {
        for (int k = 1; k < division; k += 2) points.push_back(PointAt(line, total * k / division));
    }
    return points;
}

std::vector<std::optional<QRectF>> PlaceLabels(const std::vector<LabelRequest>& requests, const QRectF& plot,
                                               double gap) {
    std::vector<std::optional<QRectF>> placed;
    std::vector<QRectF> taken;
    for (const LabelRequest& request : requests) {
        std::optional<QRectF> box;
        for (const QPointF& at : request.candidates) {
            const QRectF candidate(at.x() - request.size.width() / 2, at.y() - request.size.height() / 2,
                                   request.size.width(), request.size.height());
            if (!plot.contains(candidate)) continue;
            const QRectF clearance = candidate.adjusted(-gap, -gap, gap, gap);
            bool free = true;
            for (const QRectF& other : taken) {
                if (clearance.intersects(other)) {
                    free = false;
                    break;
                }
            }
            if (free) {
                box = candidate;
                break;
            }
        }
        if (box) taken.push_back(*box);
        placed.push_back(box);
    }
    return placed;
}

double ThinnedStep(const std::vector<double>& steps, double pixelsPerUnit, double labelWidth, double gap) {
    for (double step : steps) {
        if (step * std::abs(pixelsPerUnit) >= labelWidth + gap) return step;
    }
    return steps.empty() ? 0 : steps.back();
}

}  // namespace lumibench::diagrams
