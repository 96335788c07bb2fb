#pragma once

#include "ControlView.h"

#include <QLabel>

namespace qtpresenter {

class StaticIconView : public ControlView {
public:
    StaticIconView(DialogWindow& window, int index, QWidget* parent) : ControlView(window, index)
    {
        m_label = new QLabel(parent);
        m_widget = m_label;
        m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

protected:
    void Show(CWnd& model) override
    {
        QPixmap pixmap = PixmapOfIcon(static_cast<CStatic&>(model).GetIcon());
        m_label->setPixmap(pixmap);
        // An icon control takes the icon's size, whatever its rectangle says.
        if (!pixmap.isNull()) m_label->resize(pixmap.size());
    }

private:
    QLabel* m_label = nullptr;
};

} // namespace qtpresenter
