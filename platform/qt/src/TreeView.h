#pragma once

#include "ControlView.h"

#include "platform/qt/TemplateTreeView.h"
#include "platform/qt/TreeModel.h"

#include <QHeaderView>
#include <QTreeView>

namespace qtpresenter {

class TreeView : public ControlView {
public:
    TreeView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent)
        : ControlView(window, index)
    {
        TemplateTreeView::Style style;
        style.lines = Has(control, ctl::HasLines);
        style.linesAtRoot = Has(control, ctl::LinesAtRoot);
        style.buttons = Has(control, ctl::HasButtons);
        style.hotTracking = Has(control, ctl::TrackSelect);
        m_view = new TemplateTreeView(style, parent);
        m_widget = m_view;
        m_model = new TreeModel(m_view);
        m_view->setModel(m_model);
        m_view->setHeaderHidden(true);
        m_view->setUniformRowHeights(true);
        m_view->setAnimated(false);
        m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_view->setSelectionMode(QAbstractItemView::SingleSelection);
        m_view->setAutoFillBackground(true);
        m_view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        m_view->header()->setStretchLastSection(false);
        if (!Framed(control)) m_view->setFrameStyle(QFrame::NoFrame);
        QObject::connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, m_view,
                         [this](const QItemSelection& selected, const QItemSelection&) { UserSelected(selected); });
        QObject::connect(m_model, &QAbstractItemModel::modelAboutToBeReset, m_view, [this] { SavePlace(); });
    }

    QTreeView* View() const { return m_view; }
    TreeModel* ItemModel() const { return m_model; }

protected:
    void Show(CWnd& model) override
    {
        auto& tree = static_cast<CTreeCtrl&>(model);
        if (m_model->Sync(tree) && m_model->rowCount() > 0) RestorePlace();

        COLORREF background = tree.GetBkColor();
        if (background != m_shownBackground || !m_backgroundSet) {
            QColor base(GetRValue(background), GetGValue(background), GetBValue(background));
            QPalette palette = m_view->palette();
            palette.setColor(QPalette::Base, base);
            // The items' text stays readable on any background.
            palette.setColor(QPalette::Text, base.lightness() < 128 ? Qt::white : Qt::black);
            m_view->setPalette(palette);
            m_shownBackground = background;
            m_backgroundSet = true;
        }

        QModelIndex selected = m_model->IndexOf(tree.GetSelectedItem());
        QItemSelectionModel* selection = m_view->selectionModel();
        if (selected.isValid()) {
            if (!selection->isSelected(selected) || selection->currentIndex() != selected) {
                for (QModelIndex up = selected.parent(); up.isValid(); up = up.parent()) m_view->expand(up);
                selection->setCurrentIndex(selected, QItemSelectionModel::ClearAndSelect);
                m_view->scrollTo(selected);
            }
        } else if (selection->hasSelection()) {
            selection->clearSelection();
        }
    }

private:
    // An item by the rows and texts of the items on the way to it.
    struct Path {
        std::vector<std::pair<int, QString>> steps;
    };

    static Path PathOf(QModelIndex index)
    {
        Path path;
        for (; index.isValid(); index = index.parent()) path.steps.emplace_back(index.row(), index.data().toString());
        std::reverse(path.steps.begin(), path.steps.end());
        return path;
    }

    // The item of the new tree at the old one's place: at each level the
    // child with the same text (first at the same row), else the child at
    // the same row, as a renamed tag keeps its place among its siblings.
    QModelIndex Find(const Path& path) const
    {
        QModelIndex at;
        for (const auto& [row, text] : path.steps) {
            const int rows = m_model->rowCount(at);
            QModelIndex next;
            if (row < rows && m_model->index(row, 0, at).data().toString() == text) next = m_model->index(row, 0, at);
            for (int r = 0; !next.isValid() && r < rows; ++r)
                if (m_model->index(r, 0, at).data().toString() == text) next = m_model->index(r, 0, at);
            if (!next.isValid() && row < rows) next = m_model->index(row, 0, at);
            if (!next.isValid()) return {};
            at = next;
        }
        return at;
    }

    // A tree that is about to be loaded anew: where the user is in it. The
    // place of a tree shown empty (cleared before it is filled again) waits
    // for the tree that follows.
    void SavePlace()
    {
        if (m_model->rowCount() == 0) return;
        m_open.clear();
        std::vector<QModelIndex> pending;
        for (int r = m_model->rowCount() - 1; r >= 0; --r) pending.push_back(m_model->index(r, 0));
        while (!pending.empty()) {
            QModelIndex index = pending.back();
            pending.pop_back();
            if (!m_view->isExpanded(index)) continue;
            m_open.push_back(PathOf(index));
            for (int r = m_model->rowCount(index) - 1; r >= 0; --r) pending.push_back(m_model->index(r, 0, index));
        }
        QModelIndex current = m_view->selectionModel()->currentIndex();
        m_workedOn = current.isValid() ? std::optional<Path>(PathOf(current)) : std::nullopt;
    }

    // Opens again what the user had open and scrolls the item worked on
    // into view, without selecting it: a selection is the user's command.
    // Top-level items whose children are all leaves are groups of results
    // (a scan's): they open to show what they hold.
    void RestorePlace()
    {
        for (const Path& path : m_open)
            if (QModelIndex index = Find(path); index.isValid()) m_view->expand(index);
        for (int r = 0; r < m_model->rowCount(); ++r) {
            QModelIndex group = m_model->index(r, 0);
            const int children = m_model->rowCount(group);
            bool leaves = children > 0;
            for (int c = 0; leaves && c < children; ++c) leaves = !m_model->hasChildren(m_model->index(c, 0, group));
            if (leaves) m_view->expand(group);
        }
        if (m_workedOn) {
            if (QModelIndex index = Find(*m_workedOn); index.isValid()) {
                for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) m_view->expand(up);
                m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
                m_view->scrollTo(index, QAbstractItemView::PositionAtCenter);
            }
        }
        m_open.clear();
        m_workedOn.reset();
    }

    void UserSelected(const QItemSelection& selected)
    {
        if (Showing()) return;
        QModelIndexList indexes = selected.indexes();
        if (indexes.isEmpty()) {
            // The user cannot clear a tree's selection: show the model's again.
            m_window.Post([this] { Resync(); });
            return;
        }
        HTREEITEM item = m_model->HandleOf(indexes.first());
        m_window.Post([this, item] {
            if (auto* tree = ModelAs<CTreeCtrl>(); tree && tree->IsItem(item)) tree->UserSelect(item);
            Resync();
        });
    }

    TemplateTreeView* m_view = nullptr;
    TreeModel* m_model = nullptr;
    std::vector<Path> m_open;        // expanded before the last reload
    std::optional<Path> m_workedOn;  // the current item before it
    COLORREF m_shownBackground = 0;
    bool m_backgroundSet = false;
};

} // namespace qtpresenter
