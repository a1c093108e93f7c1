#pragma once
// A candela grid as catalogues print it (one row per vertical angle, one
// column per horizontal angle) for a QTableView. The cell texts are made
// when a cell is shown, from the one grid the tool holds: a table of
// 5000 x 6500 values costs its grid, not a widget item per value.

#include <QAbstractTableModel>

#include <memory>
#include <vector>

namespace lumibench::view {

class CandelaGridModel : public QAbstractTableModel {
public:
    using Grid = std::vector<std::vector<double>>;  // [horizontal][vertical]

    CandelaGridModel(std::vector<double> horizontal, std::vector<double> vertical, std::shared_ptr<const Grid> values,
                     QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // The value with one decimal, right-aligned; a cell the grid lacks shows 0.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The angles with two decimals and a degree sign.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<double> horizontal_;
    std::vector<double> vertical_;
    std::shared_ptr<const Grid> values_;
};

}  // namespace lumibench::view
