// The model behind the program's three grids (the archive list, the member list and
// the log): rows of cell texts under a header row. It also says how the grids look:
// header text in navy, cell text from the cell's top-left corner, in Arial where that
// font is installed and the desktop's sans-serif font otherwise, and rows the owner
// marks as alerts in red. The views draw what the model reports, so the tests read the
// colours from here rather than from pixels.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QStringList>
#include <vector>

namespace zb::app {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(QStringList headers, QObject* parent = nullptr);

    static QColor headerColor() { return QColor(0, 0, 128); }
    static QColor alertColor() { return QColor(255, 0, 0); }
    static QFont gridFont();

    // Replaces every row; each row is padded or cut to the column count.
    void setRows(std::vector<QStringList> rows, std::vector<bool> alerts = {});
    QString cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList headers_;
    std::vector<QStringList> rows_;
    std::vector<bool> alerts_;
};

}  // namespace zb::app
