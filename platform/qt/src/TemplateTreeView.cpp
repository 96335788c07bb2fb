#include "platform/qt/TemplateTreeView.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace qtpresenter {

namespace {

QColor Blend(const QColor& a, const QColor& b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

// Every other pixel, on a grid fixed to the viewport, so that the dots of
// neighbouring rows continue one another.
void DottedVertical(QPolygon& dots, int x, int top, int bottom)
{
    for (int y = top; y <= bottom; ++y)
        if (((x + y) & 1) == 0) dots << QPoint(x, y);
}

void DottedHorizontal(QPolygon& dots, int y, int left, int right)
{
    for (int x = left; x <= right; ++x)
        if (((x + y) & 1) == 0) dots << QPoint(x, y);
}

} // namespace

TemplateTreeView::TemplateTreeView(Style style, QWidget* parent) : QTreeView(parent), m_style(style)
{
    setRootIsDecorated(style.linesAtRoot);
    if (style.hotTracking) {
        setMouseTracking(true);
        viewport()->setMouseTracking(true);
    }
}

void TemplateTreeView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    if (!m_style.lines) {
        if (m_style.buttons) QTreeView::drawBranches(painter, rect, index);
        return;
    }
    int depth = 0;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) ++depth;
    const int columns = depth + (rootIsDecorated() ? 1 : 0);
    const int indent = indentation();
    if (columns <= 0 || indent <= 0) return;

    const QColor base = palette().color(QPalette::Base);
    const QColor text = palette().color(QPalette::Text);
    const QColor line = Blend(base, text);
    const int x0 = rect.right() + 1 - columns * indent;
    const int top = rect.top(), bottom = rect.bottom(), middle = rect.center().y();
    auto centreOf = [&](int column) { return x0 + column * indent + indent / 2; };
    auto hasNextSibling = [this](const QModelIndex& item) {
        return item.row() + 1 < model()->rowCount(item.parent());
    };

    QPolygon dots;
    // The item's own column: up to its parent (or the item before it),
    // across to the item, and on down when a sibling follows.
    const int own = centreOf(columns - 1);
    const bool firstAtTop = !index.parent().isValid() && index.row() == 0;
    DottedVertical(dots, own, firstAtTop ? middle : top, hasNextSibling(index) ? bottom : middle);
    DottedHorizontal(dots, middle, own, x0 + columns * indent - 2);
    // Ancestors' columns: a line runs through wherever an ancestor has a
    // sibling still to come.
    int column = columns - 2;
    for (QModelIndex up = index.parent(); up.isValid() && column >= 0; up = up.parent(), --column)
        if (hasNextSibling(up)) DottedVertical(dots, centreOf(column), top, bottom);
    painter->save();
    painter->setPen(line);
    painter->drawPoints(dots);

    if (m_style.buttons && model()->hasChildren(index)) {
        const int half = std::max(4, std::min(indent, rect.height()) / 3);
        QRect box(own - half, middle - half, 2 * half, 2 * half);
        painter->fillRect(box, base);
        painter->setPen(line);
        painter->drawRect(box);
        painter->setPen(text);
        painter->drawLine(box.left() + 2, middle, box.right() - 2, middle);
        if (!isExpanded(index)) painter->drawLine(own, box.top() + 2, own, box.bottom() - 2);
    }
    painter->restore();
}

void TemplateTreeView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!m_style.hotTracking || !m_hot.isValid() || index != m_hot) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    QColor light = palette().color(QPalette::Highlight);
    light.setAlpha(70);
    painter->fillRect(visualRect(index), light);
    QStyleOptionViewItem hot = option;
    hot.font.setUnderline(true);
    QTreeView::drawRow(painter, hot, index);
}

void TemplateTreeView::SetHot(const QModelIndex& index)
{
    if (index == m_hot) return;
    if (m_hot.isValid()) viewport()->update(visualRect(m_hot));
    m_hot = index;
    if (m_hot.isValid()) {
        viewport()->update(visualRect(m_hot));
        viewport()->setCursor(Qt::PointingHandCursor);
    } else {
        viewport()->unsetCursor();
    }
}

void TemplateTreeView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_style.hotTracking) SetHot(indexAt(event->position().toPoint()));
    QTreeView::mouseMoveEvent(event);
}

bool TemplateTreeView::viewportEvent(QEvent* event)
{
    if (m_style.hotTracking && event->type() == QEvent::Leave) SetHot(QModelIndex());
    return QTreeView::viewportEvent(event);
}

} // namespace qtpresenter
