#pragma once

#include "ControlView.h"

#include <QComboBox>
#include <QLineEdit>

namespace qtpresenter {

class ComboBoxView : public ControlView {
public:
    ComboBoxView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent, int listHeight)
        : ControlView(window, index)
    {
        m_combo = new QComboBox(parent);
        m_widget = m_combo;
        bool editable = !Has(control, ctl::DropDownList);
        m_combo->setEditable(editable);
        m_combo->setInsertPolicy(QComboBox::NoInsert);
        if (editable) {
            // The platform's drop-down boxes complete nothing as the user types.
            m_combo->setCompleter(nullptr);
            QObject::connect(m_combo->lineEdit(), &QLineEdit::textEdited, m_combo,
                             [this](const QString& text) { UserTyped(text); });
        }
        // The template's height is the height of the dropped-down list.
        int rowHeight = std::max(1, m_combo->fontMetrics().height());
        m_combo->setMaxVisibleItems(std::max(1, listHeight / rowHeight - 1));
        QObject::connect(m_combo, &QComboBox::activated, m_combo, [this](int entry) { UserPicked(entry); });
    }

protected:
    void Show(CWnd& model) override
    {
        auto& combo = static_cast<CComboBox&>(model);
        const std::vector<CString>& entries = combo.Entries();
        if (entries != m_shownEntries) {
            QStringList items;
            items.reserve(static_cast<qsizetype>(entries.size()));
            for (const CString& entry : entries) items << ToQt(entry);
            m_combo->clear();
            m_combo->addItems(items);
            m_shownEntries = entries;
        }
        QLineEdit* edit = m_combo->lineEdit();
        QString before = edit ? edit->text() : QString();
        int cursor = edit ? edit->cursorPosition() : 0;
        if (m_combo->currentIndex() != combo.GetCurSel()) m_combo->setCurrentIndex(combo.GetCurSel());
        if (edit) {
            QString text = ToQt(model.WindowText());
            if (edit->text() != text) edit->setText(text);
            // The user keeps typing where they were unless an entry replaced the text.
            if (text == before || combo.GetCurSel() < 0)
                edit->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
        }
    }

private:
    void UserTyped(const QString& text)
    {
        if (Showing()) return;
        if (auto* combo = ModelAs<CComboBox>()) combo->UserType(FromQt(text));
        Resync();
    }

    void UserPicked(int entry)
    {
        if (Showing()) return;
        if (auto* combo = ModelAs<CComboBox>()) combo->UserSelect(entry);
        Resync();
    }

    QComboBox* m_combo = nullptr;
    std::vector<CString> m_shownEntries;
};

} // namespace qtpresenter
