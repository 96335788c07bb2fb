#pragma once

#include "ControlView.h"

#include <QGroupBox>

namespace qtpresenter {

class GroupBoxView : public ControlView {
public:
    GroupBoxView(DialogWindow& window, int index, QWidget* parent) : ControlView(window, index)
    {
        m_box = new QGroupBox(parent);
        m_box->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_widget = m_box;
    }

protected:
    void Show(CWnd& model) override { m_box->setTitle(ToQt(model.WindowText())); }

private:
    QGroupBox* m_box = nullptr;
};

} // namespace qtpresenter
