#pragma once

#include "ControlView.h"

#include <QApplication>

namespace qtpresenter {

// Read-only edits show what lies behind them (the window, a group box), as
// the platform draws them.
inline void ShowReadOnly(QWidget* edit, bool readOnly)
{
    QPalette palette = edit->parentWidget() ? edit->parentWidget()->palette() : QApplication::palette();
    if (readOnly) palette.setColor(QPalette::Base, Qt::transparent);
    edit->setPalette(palette);
}

// What the two edit views share: the read-only look, selecting all on a
// refusal's focus, and taking back only what the user changed.
template <class EditWidget>
class EditView : public ControlView {
public:
    using ControlView::ControlView;

    void TakeFocus() override
    {
        ControlView::TakeFocus();
        m_edit->selectAll();
    }

protected:
    void ShowReadOnlyState(bool readOnly)
    {
        if (readOnly == m_edit->isReadOnly() && m_paletteSet) return;
        m_edit->setReadOnly(readOnly);
        ShowReadOnly(m_edit, readOnly);
        m_paletteSet = true;
    }

    // Hands the user's change to the model, then shows what the model kept
    // with the cursor where the user was typing.
    void ApplyUserEdit(const ModelEdit& change)
    {
        if (auto* edit = ModelAs<CEdit>()) edit->UserEdit(change.start, change.removed, change.inserted);
        m_typing = true;
        Resync();
        m_typing = false;
    }

    EditWidget* m_edit = nullptr;
    ShownText m_shown;
    bool m_typing = false;

private:
    bool m_paletteSet = false;
};

} // namespace qtpresenter
