#pragma once

#include "ControlView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

namespace qtpresenter {

// A check box that changes its check only when its model does.
class ModelCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;
    // A wrapped caption stands in a label of its own: clicks on it count.
    void SetWholeAreaClickable(bool whole) { m_whole = whole; }

protected:
    void nextCheckState() override {}
    bool hitButton(const QPoint& pos) const override { return m_whole ? rect().contains(pos) : QCheckBox::hitButton(pos); }

private:
    bool m_whole = false;
};

class CheckBoxView : public ControlView {
public:
    CheckBoxView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent)
        : ControlView(window, index)
    {
        m_box = new ModelCheckBox(parent);
        m_widget = m_box;
        if (Has(control, ctl::LeftText)) m_box->setLayoutDirection(Qt::RightToLeft);
        if (Has(control, ctl::MultiLineText)) {
            // The caption stands beside the indicator.
            m_label = NewWrappingCaption(m_box, Qt::AlignLeft | Qt::AlignVCenter);
            const int indent = m_box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, m_box) +
                               m_box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, m_box);
            auto* layout = new QHBoxLayout(m_box);
            layout->setContentsMargins(Has(control, ctl::LeftText) ? 0 : indent, 0,
                                       Has(control, ctl::LeftText) ? indent : 0, 0);
            layout->addWidget(m_label);
            m_box->SetWholeAreaClickable(true);
        }
        QObject::connect(m_box, &QCheckBox::clicked, m_box, [this] {
            m_window.Post([this] {
                if (auto* button = ModelAs<CButton>()) button->UserClick();
            });
        });
    }

protected:
    void Show(CWnd& model) override
    {
        ShowCaption(m_box, m_label, ToQt(model.WindowText()));
        int check = static_cast<CButton&>(model).GetCheck();
        m_box->setTristate(check == BST_INDETERMINATE);
        m_box->setCheckState(check == BST_CHECKED         ? Qt::Checked
                             : check == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                          : Qt::Unchecked);
    }

private:
    ModelCheckBox* m_box = nullptr;
    QLabel* m_label = nullptr;
};

} // namespace qtpresenter
