#include "platform/qt/DialogWindow.h"

#include "platform/Controls.h"
#include "platform/qt/QtPresenter.h"
#include "platform/qt/QtText.h"
#include "platform/qt/TemplateTreeView.h"
#include "platform/qt/TreeModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QAbstractButton>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace qtpresenter {

// --- Control views ---------------------------------------------------------

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

namespace {

bool Has(const ControlTemplate& control, uint64_t flag) { return (control.style & flag) != 0; }

bool Framed(const ControlTemplate& control)
{
    return Has(control, ctl::Border) || Has(control, ctl::ClientEdge) || Has(control, ctl::StaticEdge);
}

// What a label or wrapped caption shows of a mnemonic text: "&&" as '&',
// the marking '&' not at all.
QString WithoutMnemonic(const QString& text)
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
QLabel* NewWrappingCaption(QAbstractButton* button, Qt::Alignment alignment)
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
void ShowCaption(QAbstractButton* button, QLabel* wrappingCaption, const QString& text)
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

// Read-only edits show what lies behind them (the window, a group box), as
// the platform draws them.
void ShowReadOnly(QWidget* edit, bool readOnly)
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

class ComboBoxView : public ControlView {
public:
    ComboBoxView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent, int listHeight)
        : ControlView(window, index)
    {
        m_combo = new QComboBox(parent);
        m_widget = m_combo;
        bool editable = !Has(control, ctl::DropDownList);
        m_combo->setEditable(editable);
        m_combo->setInsertPolicy(QComboBox::NoInsert);
        if (editable) {
            // The platform's drop-down boxes complete nothing as the user types.
            m_combo->setCompleter(nullptr);
            QObject::connect(m_combo->lineEdit(), &QLineEdit::textEdited, m_combo,
                             [this](const QString& text) { UserTyped(text); });
        }
        // The template's height is the height of the dropped-down list.
        int rowHeight = std::max(1, m_combo->fontMetrics().height());
        m_combo->setMaxVisibleItems(std::max(1, listHeight / rowHeight - 1));
        QObject::connect(m_combo, &QComboBox::activated, m_combo, [this](int entry) { UserPicked(entry); });
    }

protected:
    void Show(CWnd& model) override
    {
        auto& combo = static_cast<CComboBox&>(model);
        const std::vector<CString>& entries = combo.Entries();
        if (entries != m_shownEntries) {
            QStringList items;
            items.reserve(static_cast<qsizetype>(entries.size()));
            for (const CString& entry : entries) items << ToQt(entry);
            m_combo->clear();
            m_combo->addItems(items);
            m_shownEntries = entries;
        }
        QLineEdit* edit = m_combo->lineEdit();
        QString before = edit ? edit->text() : QString();
        int cursor = edit ? edit->cursorPosition() : 0;
        if (m_combo->currentIndex() != combo.GetCurSel()) m_combo->setCurrentIndex(combo.GetCurSel());
        if (edit) {
            QString text = ToQt(model.WindowText());
            if (edit->text() != text) edit->setText(text);
            // The user keeps typing where they were unless an entry replaced the text.
            if (text == before || combo.GetCurSel() < 0)
                edit->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
        }
    }

private:
    void UserTyped(const QString& text)
    {
        if (Showing()) return;
        if (auto* combo = ModelAs<CComboBox>()) combo->UserType(FromQt(text));
        Resync();
    }

    void UserPicked(int entry)
    {
        if (Showing()) return;
        if (auto* combo = ModelAs<CComboBox>()) combo->UserSelect(entry);
        Resync();
    }

    QComboBox* m_combo = nullptr;
    std::vector<CString> m_shownEntries;
};

class TreeView : public ControlView {
public:
    TreeView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent)
        : ControlView(window, index)
    {
        TemplateTreeView::Style style;
        style.lines = Has(control, ctl::HasLines);
        style.linesAtRoot = Has(control, ctl::LinesAtRoot);
        style.buttons = Has(control, ctl::HasButtons);
        style.hotTracking = Has(control, ctl::TrackSelect);
        m_view = new TemplateTreeView(style, parent);
        m_widget = m_view;
        m_model = new TreeModel(m_view);
        m_view->setModel(m_model);
        m_view->setHeaderHidden(true);
        m_view->setUniformRowHeights(true);
        m_view->setAnimated(false);
        m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_view->setSelectionMode(QAbstractItemView::SingleSelection);
        m_view->setAutoFillBackground(true);
        m_view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        m_view->header()->setStretchLastSection(false);
        if (!Framed(control)) m_view->setFrameStyle(QFrame::NoFrame);
        QObject::connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, m_view,
                         [this](const QItemSelection& selected, const QItemSelection&) { UserSelected(selected); });
        QObject::connect(m_model, &QAbstractItemModel::modelAboutToBeReset, m_view, [this] { SavePlace(); });
    }

    QTreeView* View() const { return m_view; }
    TreeModel* ItemModel() const { return m_model; }

protected:
    void Show(CWnd& model) override
    {
        auto& tree = static_cast<CTreeCtrl&>(model);
        if (m_model->Sync(tree) && m_model->rowCount() > 0) RestorePlace();

        COLORREF background = tree.GetBkColor();
        if (background != m_shownBackground || !m_backgroundSet) {
            QColor base(GetRValue(background), GetGValue(background), GetBValue(background));
            QPalette palette = m_view->palette();
            palette.setColor(QPalette::Base, base);
            // The items' text stays readable on any background.
            palette.setColor(QPalette::Text, base.lightness() < 128 ? Qt::white : Qt::black);
            m_view->setPalette(palette);
            m_shownBackground = background;
            m_backgroundSet = true;
        }

        QModelIndex selected = m_model->IndexOf(tree.GetSelectedItem());
        QItemSelectionModel* selection = m_view->selectionModel();
        if (selected.isValid()) {
            if (!selection->isSelected(selected) || selection->currentIndex() != selected) {
                for (QModelIndex up = selected.parent(); up.isValid(); up = up.parent()) m_view->expand(up);
                selection->setCurrentIndex(selected, QItemSelectionModel::ClearAndSelect);
                m_view->scrollTo(selected);
            }
        } else if (selection->hasSelection()) {
            selection->clearSelection();
        }
    }

private:
    // An item by the rows and texts of the items on the way to it.
    struct Path {
        std::vector<std::pair<int, QString>> steps;
    };

    static Path PathOf(QModelIndex index)
    {
        Path path;
        for (; index.isValid(); index = index.parent()) path.steps.emplace_back(index.row(), index.data().toString());
        std::reverse(path.steps.begin(), path.steps.end());
        return path;
    }

    // The item of the new tree at the old one's place: at each level the
    // child with the same text (first at the same row), else the child at
    // the same row, as a renamed tag keeps its place among its siblings.
    QModelIndex Find(const Path& path) const
    {
        QModelIndex at;
        for (const auto& [row, text] : path.steps) {
            const int rows = m_model->rowCount(at);
            QModelIndex next;
            if (row < rows && m_model->index(row, 0, at).data().toString() == text) next = m_model->index(row, 0, at);
            for (int r = 0; !next.isValid() && r < rows; ++r)
                if (m_model->index(r, 0, at).data().toString() == text) next = m_model->index(r, 0, at);
            if (!next.isValid() && row < rows) next = m_model->index(row, 0, at);
            if (!next.isValid()) return {};
            at = next;
        }
        return at;
    }

    // A tree that is about to be loaded anew: where the user is in it. The
    // place of a tree shown empty (cleared before it is filled again) waits
    // for the tree that follows.
    void SavePlace()
    {
        if (m_model->rowCount() == 0) return;
        m_open.clear();
        std::vector<QModelIndex> pending;
        for (int r = m_model->rowCount() - 1; r >= 0; --r) pending.push_back(m_model->index(r, 0));
        while (!pending.empty()) {
            QModelIndex index = pending.back();
            pending.pop_back();
            if (!m_view->isExpanded(index)) continue;
            m_open.push_back(PathOf(index));
            for (int r = m_model->rowCount(index) - 1; r >= 0; --r) pending.push_back(m_model->index(r, 0, index));
        }
        QModelIndex current = m_view->selectionModel()->currentIndex();
        m_workedOn = current.isValid() ? std::optional<Path>(PathOf(current)) : std::nullopt;
    }

    // Opens again what the user had open and scrolls the item worked on
    // into view, without selecting it: a selection is the user's command.
    // Top-level items whose children are all leaves are groups of results
    // (a scan's): they open to show what they hold.
    void RestorePlace()
    {
        for (const Path& path : m_open)
            if (QModelIndex index = Find(path); index.isValid()) m_view->expand(index);
        for (int r = 0; r < m_model->rowCount(); ++r) {
            QModelIndex group = m_model->index(r, 0);
            const int children = m_model->rowCount(group);
            bool leaves = children > 0;
            for (int c = 0; leaves && c < children; ++c) leaves = !m_model->hasChildren(m_model->index(c, 0, group));
            if (leaves) m_view->expand(group);
        }
        if (m_workedOn) {
            if (QModelIndex index = Find(*m_workedOn); index.isValid()) {
                for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) m_view->expand(up);
                m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
                m_view->scrollTo(index, QAbstractItemView::PositionAtCenter);
            }
        }
        m_open.clear();
        m_workedOn.reset();
    }

    void UserSelected(const QItemSelection& selected)
    {
        if (Showing()) return;
        QModelIndexList indexes = selected.indexes();
        if (indexes.isEmpty()) {
            // The user cannot clear a tree's selection: show the model's again.
            m_window.Post([this] { Resync(); });
            return;
        }
        HTREEITEM item = m_model->HandleOf(indexes.first());
        m_window.Post([this, item] {
            if (auto* tree = ModelAs<CTreeCtrl>(); tree && tree->IsItem(item)) tree->UserSelect(item);
            Resync();
        });
    }

    TemplateTreeView* m_view = nullptr;
    TreeModel* m_model = nullptr;
    std::vector<Path> m_open;        // expanded before the last reload
    std::optional<Path> m_workedOn;  // the current item before it
    COLORREF m_shownBackground = 0;
    bool m_backgroundSet = false;
};

class ListView : public ControlView {
public:
    ListView(DialogWindow& window, int index, const ControlTemplate& control, QWidget* parent)
        : ControlView(window, index)
    {
        m_list = new QListWidget(parent);
        m_widget = m_list;
        m_list->setViewMode(QListView::ListMode);
        m_list->setFlow(QListView::TopToBottom);
        m_list->setWrapping(true);
        m_list->setResizeMode(QListView::Adjust);
        m_list->setUniformItemSizes(true);
        m_list->setSelectionMode(QAbstractItemView::SingleSelection);
        m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        if (!Framed(control)) m_list->setFrameStyle(QFrame::NoFrame);
        QObject::connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, m_list,
                         [this](const QItemSelection& selected, const QItemSelection&) {
                             if (Showing()) return;
                             QModelIndexList indexes = selected.indexes();
                             if (auto* list = ModelAs<CListCtrl>(); list && !indexes.isEmpty())
                                 list->UserSelect(indexes.first().row());
                             Resync();
                         });
    }

protected:
    void Show(CWnd& model) override
    {
        auto& list = static_cast<CListCtrl&>(model);
        if (list.Items() != m_shownItems) {
            QStringList items;
            items.reserve(static_cast<qsizetype>(list.Items().size()));
            for (const CString& item : list.Items()) items << ToQt(item);
            m_list->clear();
            m_list->addItems(items);
            m_shownItems = list.Items();
            // Columns as wide as the widest item, as list mode lays them out.
            int widest = 0;
            for (const QString& item : items) widest = std::max(widest, m_list->fontMetrics().horizontalAdvance(item));
            m_list->setGridSize(QSize(widest + 12, m_list->fontMetrics().height() + 2));
        }
        int selected = list.GetSelectedIndex();
        if (selected >= 0 && selected < m_list->count()) {
            if (m_list->currentRow() != selected || !m_list->item(selected)->isSelected()) {
                m_list->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
                m_list->scrollToItem(m_list->item(selected));
            }
        } else {
            m_list->clearSelection();
        }
    }

private:
    QListWidget* m_list = nullptr;
    std::vector<CString> m_shownItems;
};

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

} // namespace

// --- DialogWindow ----------------------------------------------------------

DialogWindow::DialogWindow(QtPresenter& presenter, CDialog& dialog, QWidget* parent)
    : QDialog(parent), m_presenter(presenter), m_dialog(dialog)
{
    Build();
}

DialogWindow::~DialogWindow()
{
    // The widgets go after the views that listen to them: what they signal
    // while they are torn down is nobody's input.
    for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
}

void DialogWindow::Build()
{
    const DialogTemplate& dialogTemplate = *m_dialog.GetTemplate();

    // The program's top window offers what its template has. A window with
    // an owner is a dialog, transient for its owner and modal above it:
    // minimised alone it would leave its owner blocked with nothing on the
    // screen to bring it back, and a dialog keeps its size, so it asks for
    // neither box. It always asks for a close box, which window managers
    // honour only when the decoration hints name it: a desktop user closes
    // a dialog there as with Esc (see closeEvent).
    const bool owned = parentWidget() != nullptr;
    Qt::WindowFlags flags = (owned ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dialogTemplate.style & dlg::SystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (owned) flags |= Qt::WindowCloseButtonHint;
    if ((dialogTemplate.style & dlg::MinimizeBox) && !owned) flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    // The top window is where users scan long trees: it may grow. Dialogs
    // keep the size of their template.
    m_resizable = !owned;
    setObjectName(QStringLiteral("dialog_%1").arg(dialogTemplate.id));

    if (!dialogTemplate.fontName.IsEmpty() && dialogTemplate.fontSize > 0) {
        QFont font(ToQt(dialogTemplate.fontName), dialogTemplate.fontSize);
        font.setStyleHint(QFont::SansSerif);
        setFont(font);
    }
    // Dialog units as the platform defines them: a quarter of the font's
    // average character width, an eighth of its height.
    QFontMetrics metrics(font());
    int alphabet = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (alphabet / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
    auto toX = [this](int units) { return DialogUnitsToPixelsX(units, m_baseX); };
    auto toY = [this](int units) { return DialogUnitsToPixelsY(units, m_baseY); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(m_resizable ? QLayout::SetMinimumSize : QLayout::SetFixedSize);
    if (m_dialog.GetMenu() != nullptr) {
        m_menuBar = new QMenuBar(this);
        m_menuBar->setFont(QApplication::font());
        layout->setMenuBar(m_menuBar);
    }
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    std::vector<QRect> places;
    places.reserve(dialogTemplate.controls.size());
    for (const ControlTemplate& control : dialogTemplate.controls) {
        int left = toX(control.rect.x), top = toY(control.rect.y);
        places.emplace_back(left, top, toX(control.rect.x + control.rect.cx) - left,
                            toY(control.rect.y + control.rect.cy) - top);
    }
    m_templateClientSize = QSize(toX(dialogTemplate.cx), toY(dialogTemplate.cy));
    if (!m_resizable) m_templateClientSize.rwidth() = WidenTrees(places, m_templateClientSize.width());
    if (m_resizable) {
        m_client->setMinimumSize(m_templateClientSize);
        m_client->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    } else {
        m_client->setFixedSize(m_templateClientSize);
    }
    layout->addWidget(m_client);
    m_dialog.SetClientSize(m_client->width(), m_client->height());

    QWidget* previousFocusable = nullptr;
    StaticTextView* labelWaitingForBuddy = nullptr;
    for (int i = 0; i < m_dialog.GetControlCount(); ++i) {
        const ControlTemplate& control = dialogTemplate.controls[static_cast<size_t>(i)];
        std::unique_ptr<ControlView> view;
        int listHeight = toY(control.rect.y + control.rect.cy) - toY(control.rect.y);
        switch (control.kind) {
        case ControlKind::PushButton: view = std::make_unique<PushButtonView>(*this, i, control, m_client); break;
        case ControlKind::CheckBox: view = std::make_unique<CheckBoxView>(*this, i, control, m_client); break;
        case ControlKind::GroupBox: view = std::make_unique<GroupBoxView>(*this, i, m_client); break;
        case ControlKind::Edit:
            if (Has(control, ctl::MultiLine)) view = std::make_unique<MultiLineEditView>(*this, i, control, m_client);
            else view = std::make_unique<LineEditView>(*this, i, control, m_client);
            break;
        case ControlKind::ComboBox:
            view = std::make_unique<ComboBoxView>(*this, i, control, m_client, listHeight);
            break;
        case ControlKind::TreeView: view = std::make_unique<TreeView>(*this, i, control, m_client); break;
        case ControlKind::ListView: view = std::make_unique<ListView>(*this, i, control, m_client); break;
        case ControlKind::ProgressBar: view = std::make_unique<ProgressView>(*this, i, m_client); break;
        case ControlKind::StaticText: view = std::make_unique<StaticTextView>(*this, i, control, m_client); break;
        case ControlKind::StaticIcon: view = std::make_unique<StaticIconView>(*this, i, m_client); break;
        }
        QWidget* widget = view->Widget();
        widget->setObjectName(QStringLiteral("control_%1").arg(control.id));
        widget->setProperty("travikControlId", control.id);
        widget->setProperty("travikControlIndex", i);

        const QRect& place = places[static_cast<size_t>(i)];
        int left = place.left(), top = place.top(), width = place.width(), height = place.height();
        // A combo box's rectangle reaches down over its dropped list.
        if (control.kind == ControlKind::ComboBox) height = std::min(height, widget->sizeHint().height());
        widget->setGeometry(left, top, std::max(width, 0), std::max(height, 0));
        m_placed.push_back({widget->geometry(), control.kind == ControlKind::TreeView ||
                                                    control.kind == ControlKind::ListView ||
                                                    control.kind == ControlKind::GroupBox ||
                                                    (control.kind == ControlKind::Edit && Has(control, ctl::MultiLine))});

        bool focusable = control.kind != ControlKind::GroupBox && control.kind != ControlKind::StaticText &&
                         control.kind != ControlKind::StaticIcon && control.kind != ControlKind::ProgressBar;
        if (focusable) {
            widget->setFocusPolicy(Has(control, ctl::TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
            if (previousFocusable) QWidget::setTabOrder(previousFocusable, widget);
            previousFocusable = widget;
            // A label's mnemonic moves the focus to the control after it.
            if (labelWaitingForBuddy) labelWaitingForBuddy->Label()->setBuddy(widget);
            labelWaitingForBuddy = nullptr;
        } else if (control.kind == ControlKind::StaticText && !Has(control, ctl::NoPrefix)) {
            labelWaitingForBuddy = static_cast<StaticTextView*>(view.get());
        } else if (control.kind != ControlKind::StaticText) {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        m_views.push_back(std::move(view));
    }
    // Group boxes frame the controls inside them and must not cover them.
    for (const auto& view : m_views)
        if (qobject_cast<QGroupBox*>(view->Widget())) view->Widget()->lower();

    for (QWidget* widget : findChildren<QWidget*>()) widget->installEventFilter(this);

    // Without a window manager to turn Alt+F4 into a close request, the
    // window takes the key itself.
    auto* closeKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(closeKey, &QShortcut::activated, this, [this] { close(); });
    auto* systemMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(systemMenuKey, &QShortcut::activated, this, [this] { PopUpSystemMenu(); });
    m_client->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_client, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopUpSystemMenu(m_client->mapToGlobal(at)); });
}

namespace {
// A long tag name of the kind most maps hold, which a tree of tags shows
// whole without scrolling sideways.
const char* const kLongCommonEntry = "characters\\floodcombat_human\\floodcombat_human";
// Levels of a tag under its set's root and class node, each indented.
constexpr int kTagTreeLevels = 3;
} // namespace

int DialogWindow::TreeWidthForEntries() const
{
    QFontMetrics metrics(font());
    const int indent = style()->pixelMetric(QStyle::PM_TreeViewIndentation, nullptr, this);
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // The item's own margins and the frame on both sides.
    const int margins = 16;
    return kTagTreeLevels * indent + metrics.horizontalAdvance(QString::fromLatin1(kLongCommonEntry)) + scrollBar +
           margins;
}

int DialogWindow::WidenTrees(std::vector<QRect>& places, int clientWidth) const
{
    // A tree narrower than its common entries widens, and the dialog with
    // it: what stands to its right moves over, what spans its right edge
    // (its group box, a list below it) stretches. From the rightmost tree
    // leftwards, so each move carries what the trees further right did.
    const DialogTemplate& dialogTemplate = *m_dialog.GetTemplate();
    std::vector<size_t> trees;
    for (size_t i = 0; i < places.size() && i < dialogTemplate.controls.size(); ++i)
        if (dialogTemplate.controls[i].kind == ControlKind::TreeView) trees.push_back(i);
    std::sort(trees.begin(), trees.end(),
              [&places](size_t a, size_t b) { return places[a].left() > places[b].left(); });

    const QScreen* screen = QGuiApplication::primaryScreen();
    // Room for the window's frame beside the client area.
    const int screenWidth = screen ? screen->availableGeometry().width() - 16 : clientWidth;
    const int room = std::max(0, screenWidth - clientWidth);
    const int needed = TreeWidthForEntries();
    long long wanted = 0;
    for (size_t tree : trees) wanted += std::max(0, needed - places[tree].width());
    for (size_t tree : trees) {
        // A screen too narrow for all shares its room among the trees.
        long long extra = std::max(0, needed - places[tree].width());
        if (wanted > room) extra = extra * room / wanted;
        if (extra <= 0) continue;
        const int edge = places[tree].left() + places[tree].width();
        for (QRect& place : places) {
            if (place.left() >= edge) place.translate(static_cast<int>(extra), 0);
            else if (place.left() + place.width() >= edge) place.setWidth(place.width() + static_cast<int>(extra));
        }
        clientWidth += static_cast<int>(extra);
    }
    return clientWidth;
}

void DialogWindow::LayOutClient()
{
    const QSize size = m_client->size();
    m_dialog.SetClientSize(size.width(), size.height());
    if (!m_resizable) return;
    const int dx = std::max(0, size.width() - m_templateClientSize.width());
    const int dy = std::max(0, size.height() - m_templateClientSize.height());
    // Trees, lists, group boxes and multi-line edits grow with the window;
    // a control wholly to the right of (or below) one that grows moves with
    // its edge; the rest keep their places.
    for (size_t i = 0; i < m_views.size() && i < m_placed.size(); ++i) {
        const QRect base = m_placed[i].rect;
        if (m_placed[i].grows) {
            m_views[i]->Place(base.adjusted(0, 0, dx, dy), false);
            continue;
        }
        QPoint offset;
        for (const Placement& other : m_placed) {
            if (!other.grows || other.rect.contains(base)) continue;
            bool besideRows = base.top() <= other.rect.bottom() && base.bottom() >= other.rect.top();
            bool besideColumns = base.left() <= other.rect.right() && base.right() >= other.rect.left();
            if (besideRows && base.left() > other.rect.right()) offset.setX(dx);
            if (besideColumns && base.top() > other.rect.bottom()) offset.setY(dy);
        }
        m_views[i]->Place(base.translated(offset), true);
    }
}

void DialogWindow::BuildMenuBar()
{
    CMenu* menu = m_dialog.GetMenu();
    if (m_menuBar == nullptr || menu == nullptr) return;
    for (QMenu* old : m_menuBar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) old->deleteLater();
    m_menuBar->clear();

    auto addItems = [this](auto& self, QWidget* target, const CMenu& source) -> void {
        for (const CMenu::Item& item : source.Items()) {
            if (item.IsSeparator()) {
                if (auto* popup = qobject_cast<QMenu*>(target)) popup->addSeparator();
                continue;
            }
            QString text = ToQt(item.text);
            if (item.popup) {
                auto* sub = new QMenu(text, target);
                sub->setEnabled(item.IsEnabled());
                if (auto* bar = qobject_cast<QMenuBar*>(target)) bar->addMenu(sub);
                else static_cast<QMenu*>(target)->addMenu(sub);
                self(self, sub, *item.popup);
                continue;
            }
            auto* action = new QAction(text, target);
            action->setEnabled(item.IsEnabled());
            action->setCheckable((item.flags & MF_CHECKED) != 0);
            action->setChecked((item.flags & MF_CHECKED) != 0);
            action->setData(item.id);
            UINT id = item.id;
            connect(action, &QAction::triggered, this, [this, id] {
                Post([this, id] { m_dialog.ChooseMenuCommand(id); });
            });
            target->addAction(action);
        }
    };
    addItems(addItems, m_menuBar, *menu);
    m_shownMenu = menu;
    m_menuRevision = menu->Revision();
}

QMenu* DialogWindow::PopUpSystemMenu(std::optional<QPoint> at)
{
    CMenu* systemMenu = m_dialog.GetSystemMenu(FALSE);
    if (systemMenu == nullptr || !m_presenter.IsInnermost(this)) return nullptr;
    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("systemMenu"));
    popup->setAttribute(Qt::WA_DeleteOnClose);
    for (const CMenu::Item& item : systemMenu->Items()) {
        if (item.IsSeparator()) {
            popup->addSeparator();
            continue;
        }
        // Moving and sizing belong to the window manager (its title bar and
        // edges); the menu offers only what it can carry out.
        if (item.id == SC_MOVE || item.id == SC_SIZE) continue;
        // A window with an owner does not minimise alone (see Build).
        if (parentWidget() != nullptr && (item.id == SC_MINIMIZE || item.id == SC_RESTORE)) continue;
        QAction* action = popup->addAction(ToQt(item.text));
        action->setEnabled(item.IsEnabled());
        action->setData(item.id);
        UINT id = item.id;
        connect(action, &QAction::triggered, this, [this, id] {
            Post([this, id] { m_dialog.ChooseSystemMenuCommand(id); });
        });
    }
    // At the pointer; from the keyboard with the pointer elsewhere, at the
    // window's corner.
    QPoint where = at.value_or(QCursor::pos());
    if (!at && !frameGeometry().contains(where)) where = m_client->mapToGlobal(QPoint(0, 0));
    popup->popup(where);
    return popup;
}

void DialogWindow::Refresh()
{
    if (!m_shownOnce || m_dialog.Revision() != m_shownRevision) {
        m_shownRevision = m_dialog.Revision();
        QString caption = ToQt(m_dialog.WindowText());
        if (windowTitle() != caption) setWindowTitle(caption);

        HICON big = m_dialog.GetIcon(TRUE), small = m_dialog.GetIcon(FALSE);
        if (big != m_shownBigIcon || small != m_shownSmallIcon) {
            QIcon icon;
            for (HICON each : {big, small})
                if (QPixmap pixmap = PixmapOfIcon(each); !pixmap.isNull()) icon.addPixmap(pixmap);
            setWindowIcon(icon);
            m_shownBigIcon = big;
            m_shownSmallIcon = small;
        }

        CMenu* menu = m_dialog.GetMenu();
        if (menu != nullptr && (menu != m_shownMenu || menu->Revision() != m_menuRevision)) BuildMenuBar();

        if (m_shownOnce && (m_dialog.IsIconic() != FALSE) != isMinimized()) {
            if (m_dialog.IsIconic()) showMinimized();
            else showNormal();
        }
        if (m_shownOnce) ApplyFocus();
    }
    for (const auto& view : m_views) view->Refresh();
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Where the dialog's own code put the focus it stays.
        if (m_dialog.GetFocusId() != 0) ApplyFocus();
        else FocusFirstInput();
    }
}

void DialogWindow::FocusFirstInput()
{
    // As desktop dialogs open: on the first control in tab order that takes
    // what the user types or picks, else on the first button.
    QWidget* firstButton = nullptr;
    for (int i = 0; i < m_dialog.GetControlCount() && static_cast<size_t>(i) < m_views.size(); ++i) {
        CWnd* control = m_dialog.GetControl(i);
        QWidget* widget = m_views[static_cast<size_t>(i)]->Widget();
        if (control == nullptr || widget == nullptr || !widget->isEnabled() || widget->isHidden() ||
            !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        switch (control->GetControlKind()) {
        case ControlKind::Edit:
            if (auto* edit = dynamic_cast<CEdit*>(control); edit == nullptr || edit->IsReadOnly()) continue;
            [[fallthrough]];
        case ControlKind::ComboBox:
        case ControlKind::TreeView:
        case ControlKind::ListView:
        case ControlKind::CheckBox:
            if (auto* edit = dynamic_cast<OpeningLineEdit*>(widget)) edit->FocusOnOpening();
            else widget->setFocus(Qt::OtherFocusReason);
            return;
        case ControlKind::PushButton:
            if (firstButton == nullptr) firstButton = widget;
            continue;
        default: continue;
        }
    }
    if (firstButton) firstButton->setFocus(Qt::OtherFocusReason);
}

void DialogWindow::ApplyFocus()
{
    int id = m_dialog.GetFocusId();
    if (id == 0) return;
    int index = IndexOfControl(id);
    if (index < 0 || static_cast<size_t>(index) >= m_views.size()) return;
    ControlView& view = *m_views[static_cast<size_t>(index)];
    if (QApplication::focusWidget() != view.Widget()) view.TakeFocus();
}

int DialogWindow::IndexOfControl(int id) const
{
    for (int i = 0; i < m_dialog.GetControlCount(); ++i) {
        CWnd* control = m_dialog.GetControl(i);
        if (control && control->GetDlgCtrlID() == id) return i;
    }
    return -1;
}

void DialogWindow::Post(std::function<void()> action)
{
    QMetaObject::invokeMethod(
        this,
        [this, action = std::move(action)] {
            if (!m_presenter.IsInnermost(this) || m_dialog.IsEnded()) return;
            action();
        },
        Qt::QueuedConnection);
}

QWidget* DialogWindow::ControlWidgetAt(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_views.size()) return nullptr;
    return m_views[static_cast<size_t>(index)]->Widget();
}

QWidget* DialogWindow::ControlWidget(int id) const { return ControlWidgetAt(IndexOfControl(id)); }

bool DialogWindow::HandleKey(QObject* target, int key, Qt::KeyboardModifiers modifiers)
{
    bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    bool escape = key == Qt::Key_Escape;
    if ((!enter && !escape) || (modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (enter) {
        for (const auto& view : m_views)
            if (view->Widget() == target) {
                if (view->WantsReturn()) return false;
                break;
            }
        Post([this] { m_dialog.PressEnter(); });
    } else {
        Post([this] { m_dialog.PressEscape(); });
    }
    return true;
}

namespace {
// The letter a mnemonic text marks with '&' (lower case), or none.
QChar MnemonicOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
        ++i;
    }
    return {};
}

// Controls that take typed letters themselves: edits and combo boxes, and
// trees and lists, which search their items as the user types.
bool TakesLetters(QWidget* widget, QWidget* window)
{
    for (QWidget* at = widget; at != nullptr && at != window; at = at->parentWidget())
        if (qobject_cast<QLineEdit*>(at) || qobject_cast<QTextEdit*>(at) || qobject_cast<QComboBox*>(at) ||
            qobject_cast<QAbstractItemView*>(at))
            return true;
    return false;
}
} // namespace

bool DialogWindow::HandleMnemonic(const QString& typed, Qt::KeyboardModifiers modifiers)
{
    // As in desktop dialogs, a control's mnemonic letter works without Alt
    // while the focus is on a control that has no use for letters.
    if ((modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier)) != Qt::NoModifier || typed.size() != 1 ||
        !typed[0].isLetterOrNumber() || TakesLetters(QApplication::focusWidget(), this))
        return false;
    const QChar letter = typed[0].toLower();
    std::vector<int> matches;
    for (int i = 0; i < m_dialog.GetControlCount() && static_cast<size_t>(i) < m_views.size(); ++i) {
        CWnd* control = m_dialog.GetControl(i);
        QWidget* widget = m_views[static_cast<size_t>(i)]->Widget();
        if (control == nullptr || widget == nullptr || !widget->isVisibleTo(this) || !control->IsWindowEnabled())
            continue;
        ControlKind kind = control->GetControlKind();
        bool label = kind == ControlKind::StaticText && !control->HasStyle(ctl::NoPrefix) &&
                     static_cast<QLabel*>(widget)->buddy() != nullptr;
        if ((kind == ControlKind::PushButton || kind == ControlKind::CheckBox || label) &&
            MnemonicOf(ToQt(control->WindowText())) == letter)
            matches.push_back(i);
    }
    if (matches.empty()) return false;
    auto act = [this](int index, bool press) {
        QWidget* widget = m_views[static_cast<size_t>(index)]->Widget();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->buddy()->setFocus(Qt::ShortcutFocusReason);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setFocus(Qt::ShortcutFocusReason);
            if (press) button->click();
        }
    };
    if (matches.size() == 1) {
        act(matches.front(), true);
        return true;
    }
    // Several controls share the letter: the focus moves on to the next one.
    int focused = -1;
    for (size_t i = 0; i < m_views.size(); ++i)
        if (m_views[i]->Widget() == QApplication::focusWidget()) focused = static_cast<int>(i);
    auto next = std::find_if(matches.begin(), matches.end(), [focused](int index) { return index > focused; });
    act(next != matches.end() ? *next : matches.front(), false);
    return true;
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (HandleKey(watched, key->key(), key->modifiers())) return true;
        if (HandleMnemonic(key->text(), key->modifiers())) return true;
    } else if (event->type() == QEvent::Resize && watched == m_client) {
        LayOutClient();
    }
    return QDialog::eventFilter(watched, event);
}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    if (HandleKey(this, event->key(), event->modifiers())) return;
    if (HandleMnemonic(event->text(), event->modifiers())) return;
    QDialog::keyPressEvent(event);
}

void DialogWindow::closeEvent(QCloseEvent* event)
{
    // The dialog decides whether it ends. Where the template has a system
    // menu the close box is its Close command; a dialog without one still
    // takes the window manager's close request (its close box, Alt+F4) as
    // the user's Esc, so its Cancel handlers run as for Esc.
    event->ignore();
    const bool systemMenu = m_dialog.GetSystemMenu(FALSE) != nullptr;
    const bool owned = parentWidget() != nullptr;
    Post([this, systemMenu, owned] {
        if (systemMenu) m_dialog.PressCloseBox();
        else if (owned) m_dialog.PressEscape();
    });
}

void DialogWindow::reject()
{
    Post([this] { m_dialog.PressEscape(); });
}

void DialogWindow::accept()
{
    Post([this] { m_dialog.PressEnter(); });
}

void DialogWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const bool minimised = isMinimized();
        if (parentWidget() != nullptr && minimised) {
            // A window manager that minimises an owned window anyway: the
            // window comes back at once rather than leave its owner blocked.
            QMetaObject::invokeMethod(this, [this] { showNormal(); }, Qt::QueuedConnection);
        } else if ((m_dialog.IsIconic() != FALSE) != minimised) {
            m_dialog.SetIconic(minimised);
        }
    }
    QDialog::changeEvent(event);
}

void DialogWindow::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // The dialog's paint handler runs as on the platform; what it draws for
    // a minimised window the window system draws from the window's icon.
    if (!m_inPaint && !m_dialog.IsEnded()) {
        m_inPaint = true;
        m_dialog.SendPaint();
        m_inPaint = false;
    }
}

} // namespace qtpresenter
