// The grids' cells and their look. See GridModel.h.
#include "app/GridModel.h"

#include <QFontDatabase>

namespace zb::app {

GridModel::GridModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)) {}

QFont GridModel::gridFont() {
    static const QFont font = [] {
        QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        if (QFontDatabase::hasFamily(QStringLiteral("Arial"))) {
            f.setFamily(QStringLiteral("Arial"));
        } else {
            f.setStyleHint(QFont::SansSerif);
        }
        return f;
    }();
    return font;
}

void GridModel::setRows(std::vector<QStringList> rows, std::vector<bool> alerts) {
    beginResetModel();
    for (QStringList& row : rows) {
        while (row.size() < headers_.size()) row << QString();
        while (row.size() > headers_.size()) row.removeLast();
    }
    rows_ = std::move(rows);
    alerts_ = std::move(alerts);
    alerts_.resize(rows_.size(), false);
    endResetModel();
}

QString GridModel::cell(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column >= headers_.size()) return {};
    return rows_[static_cast<std::size_t>(row)][column];
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : headers_.size(); }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole: return cell(index.row(), index.column());
        case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignTop));
        case Qt::FontRole: return gridFont();
        case Qt::ForegroundRole:
            if (alerts_[static_cast<std::size_t>(index.row())]) return alertColor();
            return {};
        default: return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) return {};
    switch (role) {
        case Qt::DisplayRole: return headers_[section];
        case Qt::ForegroundRole: return headerColor();
        case Qt::FontRole: return gridFont();
        case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignTop));
        default: return {};
    }
}

}  // namespace zb::app
