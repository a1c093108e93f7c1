#include "diagrams/contour.h"

#include <cmath>
#include <map>

namespace lumibench::diagrams {
namespace {

GridPoint Cross(GridPoint p, double vp, GridPoint q, double vq, double level) {
    const double t = vq == vp ? 0.5 : (level - vp) / (vq - vp);
    return {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
}

}  // namespace

std::vector<Polyline> ContourLines(const std::vector<double>& xs, const std::vector<double>& ys,
                                   const std::vector<std::vector<double>>& values, double level) {
    std::vector<Polyline> lines;
    const long nx = static_cast<long>(xs.size());
    const long ny = static_cast<long>(ys.size());
    if (nx < 2 || ny < 2 || static_cast<long>(values.size()) < nx || !std::isfinite(level)) return lines;

    // Edge ids: horizontal-in-x edges (i,j)-(i+1,j) and vertical ones (i,j)-(i,j+1).
    auto xEdge = [&](long i, long j) { return 2 * (i * ny + j); };
    auto yEdge = [&](long i, long j) { return 2 * (i * ny + j) + 1; };
    auto value = [&](long i, long j) { return values[i][j]; };

    struct Piece {
        long e1, e2;
        GridPoint a, b;
    };
    std::vector<Piece> pieces;
    for (long i = 0; i + 1 < nx; ++i) {
        if (static_cast<long>(values[i].size()) < ny || static_cast<long>(values[i + 1].size()) < ny) continue;
        for (long j = 0; j + 1 < ny; ++j) {
            const double v00 = value(i, j), v10 = value(i + 1, j), v11 = value(i + 1, j + 1), v01 = value(i, j + 1);
            if (!std::isfinite(v00) || !std::isfinite(v10) || !std::isfinite(v11) || !std::isfinite(v01)) continue;
            const GridPoint p00{xs[i], ys[j]}, p10{xs[i + 1], ys[j]}, p11{xs[i + 1], ys[j + 1]}, p01{xs[i], ys[j + 1]};
            // Corners at or above the level count as inside.
            const int index = (v00 >= level) | ((v10 >= level) << 1) | ((v11 >= level) << 2) | ((v01 >= level) << 3);
            if (index == 0 || index == 15) continue;
            // Crossings on the four sides: bottom (j), right (i+1), top (j+1), left (i).
            const long edge[4] = {xEdge(i, j), yEdge(i + 1, j), xEdge(i, j + 1), yEdge(i, j)};
            auto at = [&](int side) {
                switch (side) {
                case 0: return Cross(p00, v00, p10, v10, level);
                case 1: return Cross(p10, v10, p11, v11, level);
                case 2: return Cross(p01, v01, p11, v11, level);
                default: return Cross(p00, v00, p01, v01, level);
                }
            };
            auto add = [&](int s1, int s2) { pieces.push_back({edge[s1], edge[s2], at(s1), at(s2)}); };
            const bool centreInside = (v00 + v10 + v11 + v01) / 4 >= level;
            switch (index) {
            case 1: case 14: add(3, 0); break;
            case 2: case 13: add(0, 1); break;
            case 3: case 12: add(3, 1); break;
            case 4: case 11: add(1, 2); break;
            case 6: case 9: add(0, 2); break;
            case 7: case 8: add(3, 2); break;
            case 5:  // v00 and v11 inside
                if (centreInside) add(3, 2), add(0, 1);
                else add(3, 0), add(1, 2);
                break;
            case 10:  // v10 and v01 inside
                if (centreInside) add(3, 0), add(1, 2);
                else add(0, 1), add(3, 2);
                break;
            default: break;
            }
        }
    }

    // Walk pieces into polylines through shared edges. Both cells beside an
    // edge compute its crossing from the same two corners in the same order,
    // so a closed line ends exactly on its first point.
    std::multimap<long, std::size_t> byEdge;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        byEdge.emplace(pieces[k].e1, k);
        byEdge.emplace(pieces[k].e2, k);
    }
    std::vector<bool> used(pieces.size(), false);
    auto nextPiece = [&](long edgeId) -> long {
        auto [lo, hi] = byEdge.equal_range(edgeId);
        for (auto it = lo; it != hi; ++it) {
            if (!used[it->second]) return static_cast<long>(it->second);
        }
        return -1;
    };
    for (std::size_t start = 0; start < pieces.size(); ++start) {
        if (used[start]) continue;
        used[start] = true;
        std::vector<GridPoint> forward{pieces[start].a, pieces[start].b};
        std::vector<long> edges{pieces[start].e1, pieces[start].e2};
        // Extend at the end, then at the front.
        for (int direction = 0; direction < 2; ++direction) {
            long tip = direction == 0 ? edges.back() : edges.front();
            for (long k; (k = nextPiece(tip)) >= 0;) {
                used[k] = true;
                const Piece& piece = pieces[k];
                const bool fromFirst = piece.e1 == tip;
                const GridPoint p = fromFirst ? piece.b : piece.a;
                tip = fromFirst ? piece.e2 : piece.e1;
                if (direction == 0) {
                    forward.push_back(p);
                    edges.push_back(tip);
                } else {
                    forward.insert(forward.begin(), p);
                    edges.insert(edges.begin(), tip);
                }
            }
        }
        lines.push_back(std::move(forward));
    }
    return lines;
}

}  // namespace lumibench::diagrams
