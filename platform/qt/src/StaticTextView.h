#pragma once

#include "ControlView.h"

#include <QGroupBox>
#include <QLabel>

namespace qtpresenter {

class StaticTextView : public ControlView {
public:
    StaticTextView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent)
        : ControlView(window, index), m_noPrefix(Has(control, ctl::NoPrefix)), m_centred(Has(control, ctl::Centre))
    {
        m_label = new QLabel(parent);
        m_widget = m_label;
        m_label->setTextFormat(Qt::PlainText);
        m_label->setWordWrap(true);
        m_label->setAlignment((Has(control, ctl::Centre) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        if (Framed(control)) m_label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    QLabel* Label() const { return m_label; }

    void Place(const QRect& rect, bool moveOnly) override
    {
        if (m_placed.isNull()) m_placed = m_label->geometry();
        m_placed = moveOnly ? QRect(rect.topLeft(), m_placed.size()) : rect;
        m_label->setGeometry(m_placed);
        FitOneLine();
    }

protected:
    void Show(CWnd& model) override
    {
        QString text = ToQt(model.WindowText());
        // A label shows '&' itself unless it has a buddy to take its mnemonic.
        m_label->setText(m_noPrefix || m_label->buddy() != nullptr ? text : WithoutMnemonic(text));
        FitOneLine();
    }

private:
    // Templates measure their labels in a narrower font than most screens
    // have. A one-line label keeps its text on its line and takes the free
    // room to its right that the text needs, rather than losing its end to
    // a second line that the rectangle hides.
    void FitOneLine()
    {
        if (m_placed.isNull()) m_placed = m_label->geometry();
        QWidget* client = m_label->parentWidget();
        if (m_centred || client == nullptr || m_placed.height() >= 2 * m_label->fontMetrics().lineSpacing()) return;
        m_label->setWordWrap(false);
        int frame = 2 * m_label->frameWidth();
        int needed = m_label->fontMetrics().horizontalAdvance(m_label->text()) + frame + 2;
        int right = std::min(client->width(), m_placed.left() + std::max(needed, m_placed.width()));
        for (QWidget* other : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other == m_label || qobject_cast<QGroupBox*>(other) || other->isHidden()) continue;
            QRect place = other->geometry();
            bool beside = place.top() < m_placed.bottom() && place.bottom() > m_placed.top();
            if (beside && place.left() > m_placed.right()) right = std::min(right, place.left());
        }
        m_label->setGeometry(m_placed.left(), m_placed.top(), std::max(right - m_placed.left(), m_placed.width()),
                             m_placed.height());
    }

    QLabel* m_label = nullptr;
    bool m_noPrefix;
    bool m_centred;
    QRect m_placed; // the rectangle of the template
};

} // namespace qtpresenter
