// The background and selection come from the style, so the box looks like every other
// list on the desktop; only the mark and the indent are the program's own.
#include "app/ProjectBoxDelegate.h"

#include <QApplication>
#include <QPainter>

#include "app/Icons.h"

namespace zb::app {

ProjectBoxDelegate::ProjectBoxDelegate(ScheduledTest scheduled, QObject* parent)
    : QStyledItemDelegate(parent), scheduled_(std::move(scheduled)) {}

void ProjectBoxDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString name = opt.text;
    opt.text.clear();
    opt.icon = QIcon();
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const QRect r = option.rect;
    if (scheduled_ && scheduled_(name)) {
        scheduleMark().paint(painter, QRect(r.left(), r.top() + (r.height() - kMarkSize) / 2, kMarkSize, kMarkSize));
    }
    painter->save();
    painter->setPen(opt.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                            : QPalette::Text));
    painter->drawText(r.adjusted(kNameIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, name);
    painter->restore();
}

QSize ProjectBoxDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(size.width() + kNameIndent);
    size.setHeight(std::max(size.height(), kMarkSize + 2));
    return size;
}

}  // namespace zb::app
