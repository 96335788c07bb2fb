#pragma once

#include "ControlView.h"

#include <QProgressBar>

namespace qtpresenter {

class ProgressView : public ControlView {
public:
    ProgressView(DialogWindow& window, int index, QWidget* parent) : ControlView(window, index)
    {
        m_bar = new QProgressBar(parent);
        m_widget = m_bar;
        m_bar->setTextVisible(false);
    }

protected:
    void Show(CWnd& model) override
    {
        auto& progress = static_cast<CProgressCtrl&>(model);
        int lower = 0, upper = 0;
        progress.GetRange(lower, upper);
        m_bar->setInvertedAppearance(upper < lower);
        m_bar->setRange(std::min(lower, upper), std::max(lower, upper));
        m_bar->setValue(progress.GetPos());
    }

private:
    QProgressBar* m_bar = nullptr;
};

} // namespace qtpresenter
