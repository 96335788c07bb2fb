// A tree view that draws what a tree control's style asks for: dotted
// lines between items (and to the top-level items with lines at the root),
// plus/minus buttons on items that have children, and hot tracking, which
// underlines and lights up the item under the pointer.
#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>

namespace qtpresenter {

class TemplateTreeView : public QTreeView {
public:
    struct Style {
        bool lines = false;
        bool linesAtRoot = false;
        bool buttons = false;
        bool hotTracking = false;
    };

    TemplateTreeView(Style style, QWidget* parent);

    const Style& TreeStyle() const { return m_style; }
    // The item under the pointer while hot tracking (invalid when none).
    QModelIndex HotIndex() const { return m_hot; }

protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void SetHot(const QModelIndex& index);

    Style m_style;
    QPersistentModelIndex m_hot;
};

} // namespace qtpresenter
