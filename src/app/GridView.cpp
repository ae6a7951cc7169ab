// Builds one of the program's grids. See GridView.h.
#include "app/GridView.h"

#include <QHeaderView>
#include <QTableView>

#include "app/GridModel.h"

namespace zb::app {

namespace {
constexpr int kRowHeight = 20;
}  // namespace

QTableView* makeGrid(const char* objectName, GridModel* model, std::initializer_list<int> widths) {
    auto* grid = new QTableView;
    grid->setObjectName(QString::fromLatin1(objectName));
    grid->setModel(model);
    model->setParent(grid);
    grid->setFont(GridModel::gridFont());
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    QHeaderView* header = grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    int column = 0;
    for (int width : widths) header->resizeSection(column++, width);
    return grid;
}

}  // namespace zb::app
