#pragma once

#include "ControlView.h"
#include "EditView.h"

#include <QTextEdit>

namespace qtpresenter {

class MultiLineEditView : public EditView<QTextEdit> {
public:
    MultiLineEditView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent)
        : EditView(window, index), m_wantReturn(Has(control, ctl::WantReturn))
    {
        m_edit = new QTextEdit(parent);
        m_widget = m_edit;
        m_edit->setAcceptRichText(false);
        m_edit->setTabChangesFocus(true);
        if (!Framed(control)) m_edit->setFrameStyle(QFrame::NoFrame);
        bool wraps = !Has(control, ctl::HScroll) && !Has(control, ctl::AutoHScroll);
        m_edit->setLineWrapMode(wraps ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
        m_edit->setVerticalScrollBarPolicy(Has(control, ctl::VScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        m_edit->setHorizontalScrollBarPolicy(Has(control, ctl::HScroll) ? Qt::ScrollBarAlwaysOn
                                                                         : Qt::ScrollBarAlwaysOff);
        if (Has(control, ctl::Centre)) {
            QTextOption option = m_edit->document()->defaultTextOption();
            option.setAlignment(Qt::AlignHCenter);
            m_edit->document()->setDefaultTextOption(option);
        }
        QObject::connect(m_edit, &QTextEdit::textChanged, m_edit, [this] { UserEdited(); });
    }

    bool WantsReturn() const override { return m_wantReturn && !m_edit->isReadOnly(); }

protected:
    void Show(CWnd& model) override
    {
        ShowReadOnlyState(static_cast<CEdit&>(model).IsReadOnly());
        m_shown = ShowMultiLine(model.WindowText());
        if (WidgetText() != m_shown.text) {
            QTextCursor cursor = m_edit->textCursor();
            int position =
                m_typing ? cursor.position() - static_cast<int>(WidgetText().size() - m_shown.text.size()) : 0;
            m_edit->setPlainText(m_shown.text);
            cursor = m_edit->textCursor();
            cursor.setPosition(std::clamp(position, 0, static_cast<int>(m_shown.text.size())));
            m_edit->setTextCursor(cursor);
        }
    }

private:
    // The text with its line breaks as '\n' and every other character as it is.
    QString WidgetText() const
    {
        QString text = m_edit->document()->toRawText();
        text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
        return text;
    }

    void UserEdited()
    {
        if (Showing()) return;
        ModelEdit change = EditBetween(m_shown, WidgetText(), true);
        // A format-only change of the document is no edit.
        if (change.removed == 0 && change.inserted.IsEmpty()) return;
        ApplyUserEdit(change);
    }

    bool m_wantReturn;
};

} // namespace qtpresenter
