#pragma once
// The zones of the luminaire classification system drawn as a side view of
// the luminaire: front (street side) to the right, back (house side) to the
// left, each zone with its lumens and share of the luminaire flux.

#include <QPainter>
#include <QRectF>

#include "photometry/road.h"

namespace lumibench::reports {

void PaintBugZones(QPainter& painter, const QRectF& area, const photometry::BugZones& zones, double luminaireFluxLm);

}  // namespace lumibench::reports
