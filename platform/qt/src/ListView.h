#pragma once

#include "ControlView.h"

#include <QListWidget>

namespace qtpresenter {

class ListView : public ControlView {
public:
    ListView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent)
        : ControlView(window, index)
    {
        m_list = new QListWidget(parent);
        m_widget = m_list;
        m_list->setViewMode(QListView::ListMode);
        m_list->setFlow(QListView::TopToBottom);
        m_list->setWrapping(true);
        m_list->setResizeMode(QListView::Adjust);
        m_list->setUniformItemSizes(true);
        m_list->setSelectionMode(QAbstractItemView::SingleSelection);
        m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        if (!Framed(control)) m_list->setFrameStyle(QFrame::NoFrame);
        QObject::connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, m_list,
                         [this](const QItemSelection& selected, const QItemSelection&) {
                             if (Showing()) return;
                             QModelIndexList indexes = selected.indexes();
                             if (auto* list = ModelAs<CListCtrl>(); list && !indexes.isEmpty())
                                 list->UserSelect(indexes.first().row());
                             Resync();
                         });
    }

protected:
    void Show(CWnd& model) override
    {
        auto& list = static_cast<CListCtrl&>(model);
        if (list.Items() != m_shownItems) {
            QStringList items;
            items.reserve(static_cast<qsizetype>(list.Items().size()));
            for (const CString& item : list.Items()) items << ToQt(item);
            m_list->clear();
            m_list->addItems(items);
            m_shownItems = list.Items();
            // Columns as wide as the widest item, as list mode lays them out.
            int widest = 0;
            for (const QString& item : items) widest = std::max(widest, m_list->fontMetrics().horizontalAdvance(item));
            m_list->setGridSize(QSize(widest + 12, m_list->fontMetrics().height() + 2));
        }
        int selected = list.GetSelectedIndex();
        if (selected >= 0 && selected < m_list->count()) {
            if (m_list->currentRow() != selected || !m_list->item(selected)->isSelected()) {
                m_list->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
                m_list->scrollToItem(m_list->item(selected));
            }
        } else {
            m_list->clearSelection();
        }
    }

private:
    QListWidget* m_list = nullptr;
    std::vector<CString> m_shownItems;
};

} // namespace qtpresenter
