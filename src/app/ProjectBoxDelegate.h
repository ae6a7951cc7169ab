// Draws the items of the project box: the schedule mark at the item's left for a
// scheduled project, and the name 20 pixels from the left, so names line up whether
// they carry the mark or not.
#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace zb::app {

class ProjectBoxDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using ScheduledTest = std::function<bool(const QString& name)>;
    ProjectBoxDelegate(ScheduledTest scheduled, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int kNameIndent = 20;
    static constexpr int kMarkSize = 16;

private:
    ScheduledTest scheduled_;
};

}  // namespace zb::app
