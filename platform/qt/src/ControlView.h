// The base of every control view, and what the views share.
#pragma once

#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/qt/DialogWindow.h"
#include "platform/qt/QtPresenter.h"
#include "platform/qt/QtText.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QWidget>

#include <cstdint>

namespace qtpresenter {

// Keeps one widget in step with the model of one control of the template.
// The model is looked up by index each time: data exchange may have put a
// bound member in place of the object made from the template.
class ControlView {
public:
    ControlView(DialogWindow& window, int index) : m_window(window), m_index(index) {}
    virtual ~ControlView() = default;
    ControlView(const ControlView&) = delete;
    ControlView& operator=(const ControlView&) = delete;

    QWidget* Widget() const { return m_widget; }
    CWnd* Model() const { return m_window.Dialog().GetControl(m_index); }

    // Shows the model when it changed since it was last shown (always when forced).
    void Refresh(bool force = false)
    {
        CWnd* model = Model();
        if (model == nullptr || m_widget == nullptr) return;
        if (!force && model == m_shownModel && model->Revision() == m_shownRevision) return;
        m_shownModel = model;
        m_shownRevision = model->Revision();
        ShowingScope showing(*this);
        m_widget->setEnabled(model->IsWindowEnabled() != FALSE);
        Show(*model);
    }
    // The widget may show what the model refused: show the model again.
    void Resync() { Refresh(true); }

    // Focus goes to the control as a refusal of data exchange puts it there.
    virtual void TakeFocus()
    {
        if (m_widget && m_widget->isEnabled()) m_widget->setFocus(Qt::OtherFocusReason);
    }
    // Enter types a line end here rather than pressing the default button.
    virtual bool WantsReturn() const { return false; }
    // Puts the control at a new place: the whole rectangle for a control
    // that grows with its window, only its corner for one that moves.
    virtual void Place(const QRect& rect, bool moveOnly)
    {
        if (!m_widget) return;
        if (moveOnly) m_widget->move(rect.topLeft());
        else m_widget->setGeometry(rect);
    }

protected:
    virtual void Show(CWnd& model) = 0;
    template <class T>
    T* ModelAs() const
    {
        return dynamic_cast<T*>(Model());
    }
    // True while the view itself changes the widget: its signals then are
    // the code's changes and must not come back as user input.
    bool Showing() const { return m_showing; }

    DialogWindow& m_window;
    int m_index;
    QWidget* m_widget = nullptr;

private:
    struct ShowingScope {
        explicit ShowingScope(ControlView& view) : view(view), was(view.m_showing) { view.m_showing = true; }
        ~ShowingScope() { view.m_showing = was; }
        ControlView& view;
        bool was;
    };
    CWnd* m_shownModel = nullptr;
    uint64_t m_shownRevision = 0;
    bool m_showing = false;
};

// What several views share.

inline bool Has(const ControlTemplate& control, uint64_t flag) { return (control.style & flag) != 0; }

inline bool Framed(const ControlTemplate& control)
{
    return Has(control, ctl::Border) || Has(control, ctl::ClientEdge) || Has(control, ctl::StaticEdge);
}

// What a label or wrapped caption shows of a mnemonic text: "&&" as '&',
// the marking '&' not at all.
inline QString WithoutMnemonic(const QString& text)
{
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

// A wrapped caption drawn as the style draws a button's own: its mnemonic
// letter underlined where the style underlines shortcuts. The label's text
// stays the caption as read (without the marking '&'); the property holds
// what is drawn.
class WrappedCaption : public QLabel {
public:
    using QLabel::QLabel;
    static constexpr const char* kMnemonicText = "travikMnemonicText";

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const bool underline = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) != 0;
        const int flags = static_cast<int>(alignment()) | Qt::TextWordWrap |
                          (underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
        style()->drawItemText(&painter, contentsRect(), flags, palette(), isEnabled(),
                              property(kMnemonicText).toString(), foregroundRole());
    }
};

// Qt's button caption cannot wrap, so a caption that may is a label inside
// the button that leaves every click to the button.
inline QLabel* NewWrappingCaption(QAbstractButton* button, Qt::Alignment alignment)
{
    auto* label = new WrappedCaption(button);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

// The label shows the caption without its marking '&'; the button keeps the
// mnemonic as its shortcut.
inline void ShowCaption(QAbstractButton* button, QLabel* wrappingCaption, const QString& text)
{
    if (wrappingCaption) {
        wrappingCaption->setText(WithoutMnemonic(text));
        wrappingCaption->setProperty(WrappedCaption::kMnemonicText, text);
        wrappingCaption->update();
        button->setText(QString());
        button->setShortcut(QKeySequence::mnemonic(text));
    } else {
        button->setText(text);
    }
}

} // namespace qtpresenter
