#include "candela_grid_model.h"

#include <QString>

#include "diagrams/scale.h"

namespace lumibench::view {

CandelaGridModel::CandelaGridModel(std::vector<double> horizontal, std::vector<double> vertical,
                                   std::shared_ptr<const Grid> values, QObject* parent)
    : QAbstractTableModel(parent),
      horizontal_(std::move(horizontal)),
      vertical_(std::move(vertical)),
      values_(std::move(values)) {}

int CandelaGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(vertical_.size());
}

int CandelaGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(horizontal_.size());
}

QVariant CandelaGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    const auto h = static_cast<std::size_t>(index.column());
    const auto v = static_cast<std::size_t>(index.row());
    const bool present = values_ && h < values_->size() && v < (*values_)[h].size();
    return QString::fromStdString(diagrams::FormatNumber(present ? (*values_)[h][v] : 0.0, 1));
}

QVariant CandelaGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) return QAbstractTableModel::headerData(section, orientation, role);
    const std::vector<double>& angles = orientation == Qt::Horizontal ? horizontal_ : vertical_;
    if (static_cast<std::size_t>(section) >= angles.size()) return {};
    return QString::fromStdString(diagrams::FormatNumber(angles[static_cast<std::size_t>(section)], 2)) +
           QChar(0x00B0);
}

}  // namespace lumibench::view
