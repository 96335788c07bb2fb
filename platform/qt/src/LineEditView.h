#pragma once

#include "ControlView.h"
#include "EditView.h"

#include <QLineEdit>

namespace qtpresenter {

// A line edit that the dialog opens on selects its text for typing over
// and keeps showing it from its start.
class OpeningLineEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    void FocusOnOpening()
    {
        m_opening = true;
        setFocus(Qt::OtherFocusReason);
    }

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QLineEdit::focusInEvent(event);
        if (!m_opening) return;
        m_opening = false;
        const int length = static_cast<int>(text().size());
        setSelection(length, -length);
    }

private:
    bool m_opening = false;
};

class LineEditView : public EditView<QLineEdit> {
public:
    LineEditView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent)
        : EditView(window, index)
    {
        m_edit = new OpeningLineEdit(parent);
        m_widget = m_edit;
        m_edit->setFrame(Framed(control));
        if (Has(control, ctl::Centre)) m_edit->setAlignment(Qt::AlignHCenter);
        QObject::connect(m_edit, &QLineEdit::textEdited, m_edit, [this](const QString& text) { UserEdited(text); });
    }

protected:
    void Show(CWnd& model) override
    {
        ShowReadOnlyState(static_cast<CEdit&>(model).IsReadOnly());
        m_shown = ShowSingleLine(model.WindowText());
        if (m_edit->text() != m_shown.text) {
            // The cursor stays where the user was typing when the model
            // dropped or changed what was typed; a text set by code is
            // shown from its start.
            int cursor = m_typing ? m_edit->cursorPosition() - static_cast<int>(m_edit->text().size() - m_shown.text.size())
                                  : 0;
            m_edit->setText(m_shown.text);
            m_edit->setCursorPosition(std::clamp(cursor, 0, static_cast<int>(m_shown.text.size())));
        }
    }

private:
    void UserEdited(const QString& text)
    {
        if (Showing()) return;
        ApplyUserEdit(EditBetween(m_shown, text, false));
    }
};

} // namespace qtpresenter
