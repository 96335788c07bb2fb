#pragma once

#include "ControlView.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qtpresenter {

class PushButtonView : public ControlView {
public:
    PushButtonView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent)
        : ControlView(window, index)
    {
        m_button = new QPushButton(parent);
        m_widget = m_button;
        m_button->setAutoDefault(false);
        m_button->setDefault(Has(control, ctl::DefaultButton));
        if (Has(control, ctl::Flat)) {
            // A flat button keeps a thin frame, unlike Qt's frameless one.
            m_button->setStyleSheet(QStringLiteral(
                "QPushButton { border: 1px solid palette(shadow); background: palette(button); padding: 0 4px; }"
                "QPushButton:default { border: 2px solid palette(shadow); }"
                "QPushButton:pressed { background: palette(mid); }"
                "QPushButton:focus { outline: none; border-style: solid; }"
                "QPushButton:disabled { color: palette(mid); border-color: palette(mid); }"));
        }
        if (Has(control, ctl::MultiLineText)) {
            m_label = NewWrappingCaption(m_button, Qt::AlignCenter);
            auto* layout = new QVBoxLayout(m_button);
            layout->setContentsMargins(3, 1, 3, 1);
            layout->addWidget(m_label);
        }
        QObject::connect(m_button, &QPushButton::clicked, m_button, [this] {
            m_window.Post([this] {
                if (auto* button = ModelAs<CButton>()) button->UserClick();
            });
        });
    }

protected:
    void Show(CWnd& model) override { ShowCaption(m_button, m_label, ToQt(model.WindowText())); }

private:
    QPushButton* m_button = nullptr;
    QLabel* m_label = nullptr;
};

} // namespace qtpresenter
