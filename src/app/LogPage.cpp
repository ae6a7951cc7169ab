// The log grid fed from the activity log. See LogPage.h.
#include "app/LogPage.h"

#include <QAction>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

#include "app/GridModel.h"
#include "app/GridView.h"
#include "app/MainWindow.h"
#include "log/LogEntry.h"

namespace zb::app {

LogPage::LogPage(MainWindow& window) : QWidget(window.TabSheet1()), window_(window) {
    setObjectName(QStringLiteral("LogPage"));
    auto* host = new QVBoxLayout(window.TabSheet1());
    host->setContentsMargins(0, 0, 0, 0);
    host->addWidget(this);

    QStringList headers;
    for (const char* header : activitylog::kColumnHeaders) headers << QString::fromLatin1(header);
    model_ = new GridModel(headers);
    LogGrid = makeGrid("LogGrid", model_, {145, 74, 81, 124, 297});
    LogGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    LogGrid->setToolTip(QStringLiteral("Right-click it to open menu"));
    LogGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(LogGrid);

    LogPopupMenu = new QMenu(this);
    LogPopupMenu->setObjectName(QStringLiteral("LogPopupMenu"));
    Clearalllog1 = LogPopupMenu->addAction(QStringLiteral("Clear all log"));
    Clearalllog1->setObjectName(QStringLiteral("Clearalllog1"));

    connect(LogGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { LogPopupMenu->popup(LogGrid->viewport()->mapToGlobal(at)); });
    connect(Clearalllog1, &QAction::triggered, this, &LogPage::Clearalllog1Click);
    connect(&window, &MainWindow::logChanged, this, &LogPage::refresh);
    connect(&window, &MainWindow::preferencesChanged, this, &LogPage::refresh);
    refresh();
}

void LogPage::refresh() {
    const activitylog::ActivityLog& log = window_.activityLog();
    std::vector<QStringList> cells;
    std::vector<bool> alerts;
    for (int row = 1; row < log.rowCount(); ++row) {
        QStringList line;
        for (int column = 0; column < activitylog::kColumnCount; ++column)
            line << QString::fromStdString(log.cell(row, column));
        cells.push_back(line);
        alerts.push_back(log.isAlertRow(row));
    }
    model_->setRows(std::move(cells), std::move(alerts));
}

void LogPage::Clearalllog1Click() {
    try {
        window_.activityLog().clearAll();
    } catch (const std::exception& e) {
        window_.dialogs().message(&window_, MessageKind::Error, kindCaption(MessageKind::Error),
                                  QString::fromStdString(e.what()));
    }
    refresh();
}

}  // namespace zb::app
