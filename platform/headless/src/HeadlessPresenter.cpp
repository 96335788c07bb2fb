#include "platform/headless/HeadlessPresenter.h"

#include "platform/Controls.h"
#include "platform/Dialog.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace headless {

namespace {

std::string Quoted(const CString& text) { return "'" + text.Bytes() + "'"; }

std::string DialogName(CDialog& dialog)
{
    return "dialog " + std::to_string(dialog.GetTemplateId()) + " " + Quoted(dialog.WindowText());
}

std::map<int, CString> ControlTexts(CDialog& dialog)
{
    std::map<int, CString> texts;
    for (int i = 0; i < dialog.GetControlCount(); ++i) {
        CWnd* control = dialog.GetControl(i);
        if (control->GetDlgCtrlID() != IDC_STATIC) texts.emplace(control->GetDlgCtrlID(), control->WindowText());
    }
    return texts;
}

template <class Control>
Control* ControlOf(CDialog& dialog, int id, std::string& problem)
{
    CWnd* window = dialog.GetDlgItem(id);
    if (window == nullptr) {
        problem = "no control " + std::to_string(id);
        return nullptr;
    }
    auto* control = dynamic_cast<Control*>(window);
    if (control == nullptr) problem = "control " + std::to_string(id) + " is a " + ControlKindName(window->GetControlKind());
    return control;
}

HTREEITEM FindPath(CTreeCtrl& tree, const std::vector<CString>& path)
{
    HTREEITEM parent = TVI_ROOT;
    HTREEITEM found = nullptr;
    for (const CString& text : path) {
        found = nullptr;
        for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item)) {
            if (tree.GetItemText(item) == text) {
                found = item;
                break;
            }
        }
        if (!found) return nullptr;
        parent = found;
    }
    return found;
}

} // namespace

CString ShownWindow::Text(int id) const
{
    auto at = texts.find(id);
    return at == texts.end() ? CString() : at->second;
}

CString ShownWindow::TextAtEnd(int id) const
{
    auto at = textsAtEnd.find(id);
    return at == textsAtEnd.end() ? CString() : at->second;
}

// --- DialogSteps -----------------------------------------------------------

DialogSteps& DialogSteps::Add(std::string description, std::function<std::string(CDialog&)> act)
{
    m_steps.push_back({std::move(description), std::move(act)});
    return *this;
}

DialogSteps& DialogSteps::Type(int id, const CString& text)
{
    return Add("type " + Quoted(text) + " into " + std::to_string(id), [id, text](CDialog& dialog) {
        CWnd* window = dialog.GetDlgItem(id);
        if (window == nullptr) return "no control " + std::to_string(id);
        bool typed = false;
        if (auto* edit = dynamic_cast<CEdit*>(window)) typed = edit->UserType(text);
        else if (auto* combo = dynamic_cast<CComboBox*>(window)) typed = combo->UserType(text);
        else return "control " + std::to_string(id) + " takes no typing";
        return typed ? std::string() : "control " + std::to_string(id) + " is disabled or read-only";
    });
}

DialogSteps& DialogSteps::Click(int id)
{
    return Add("click " + std::to_string(id), [id](CDialog& dialog) {
        std::string problem;
        auto* button = ControlOf<CButton>(dialog, id, problem);
        if (button == nullptr) return problem;
        return button->UserClick() ? std::string() : "button " + std::to_string(id) + " takes no click";
    });
}

DialogSteps& DialogSteps::SelectTreeItem(int id, const std::vector<CString>& path)
{
    std::string shown;
    for (const CString& text : path) shown += "/" + text.Bytes();
    return Add("select " + Quoted(shown) + " in tree " + std::to_string(id), [id, path](CDialog& dialog) {
        std::string problem;
        auto* tree = ControlOf<CTreeCtrl>(dialog, id, problem);
        if (tree == nullptr) return problem;
        HTREEITEM item = FindPath(*tree, path);
        if (item == nullptr) return std::string("no such item");
        return tree->UserSelect(item) ? std::string() : "tree " + std::to_string(id) + " is disabled";
    });
}

DialogSteps& DialogSteps::SelectTreeItem(int id, std::function<HTREEITEM(CTreeCtrl&)> pick)
{
    return Add("select an item in tree " + std::to_string(id), [id, pick = std::move(pick)](CDialog& dialog) {
        std::string problem;
        auto* tree = ControlOf<CTreeCtrl>(dialog, id, problem);
        if (tree == nullptr) return problem;
        HTREEITEM item = pick(*tree);
        if (item == nullptr || !tree->IsItem(item)) return std::string("no such item");
        return tree->UserSelect(item) ? std::string() : "tree " + std::to_string(id) + " is disabled";
    });
}

DialogSteps& DialogSteps::SelectComboEntry(int id, const CString& entry)
{
    return Add("pick " + Quoted(entry) + " in combo box " + std::to_string(id), [id, entry](CDialog& dialog) {
        std::string problem;
        auto* combo = ControlOf<CComboBox>(dialog, id, problem);
        if (combo == nullptr) return problem;
        const auto& entries = combo->Entries();
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i] == entry)
                return combo->UserSelect(static_cast<int>(i)) ? std::string() : std::string("combo box is disabled");
        return std::string("no such entry");
    });
}

DialogSteps& DialogSteps::SelectListItem(int id, int index)
{
    return Add("pick item " + std::to_string(index) + " of list " + std::to_string(id), [id, index](CDialog& dialog) {
        std::string problem;
        auto* list = ControlOf<CListCtrl>(dialog, id, problem);
        if (list == nullptr) return problem;
        return list->UserSelect(index) ? std::string() : std::string("no such item, or the list is disabled");
    });
}

DialogSteps& DialogSteps::Menu(UINT commandId)
{
    return Add("menu command " + std::to_string(commandId), [commandId](CDialog& dialog) {
        return dialog.ChooseMenuCommand(commandId) ? std::string() : std::string("no such enabled menu item");
    });
}

DialogSteps& DialogSteps::SystemMenu(UINT commandId)
{
    return Add("system menu command " + std::to_string(commandId), [commandId](CDialog& dialog) {
        return dialog.ChooseSystemMenuCommand(commandId) ? std::string() : std::string("no such enabled system menu item");
    });
}

DialogSteps& DialogSteps::Paint()
{
    return Add("paint", [](CDialog& dialog) {
        dialog.SendPaint();
        return std::string();
    });
}

DialogSteps& DialogSteps::Enter()
{
    return Add("Enter", [](CDialog& dialog) {
        dialog.PressEnter();
        return std::string();
    });
}

DialogSteps& DialogSteps::Escape()
{
    return Add("Esc", [](CDialog& dialog) {
        dialog.PressEscape();
        return std::string();
    });
}

DialogSteps& DialogSteps::CloseBox()
{
    return Add("close box", [](CDialog& dialog) {
        if (dialog.GetSystemMenu(FALSE) == nullptr) return std::string("the dialog has no close box");
        dialog.PressCloseBox();
        return std::string();
    });
}

DialogSteps& DialogSteps::Read(int id, CString& into)
{
    CString* target = &into;
    return Add("read " + std::to_string(id), [id, target](CDialog& dialog) {
        CWnd* window = dialog.GetDlgItem(id);
        if (window == nullptr) return "no control " + std::to_string(id);
        *target = window->WindowText();
        return std::string();
    });
}

DialogSteps& DialogSteps::Inspect(std::function<void(CDialog&)> look)
{
    return Add("inspect", [look = std::move(look)](CDialog& dialog) {
        look(dialog);
        return std::string();
    });
}

// --- HeadlessPresenter -----------------------------------------------------

DialogSteps& HeadlessPresenter::ExpectDialog(const CString& caption)
{
    Entry entry(ShownWindow::Dialog);
    entry.steps.m_caption = caption;
    m_queue.push_back(std::move(entry));
    return m_queue.back().steps;
}

void HeadlessPresenter::AnswerFile(const CString& path, bool confirmOverwrite)
{
    Entry entry(ShownWindow::FileChooser);
    entry.confirm = true;
    entry.confirmOverwrite = confirmOverwrite;
    entry.path = path;
    m_queue.push_back(std::move(entry));
}

void HeadlessPresenter::CancelFile() { m_queue.push_back(Entry(ShownWindow::FileChooser)); }

void HeadlessPresenter::AnswerColor(COLORREF color)
{
    Entry entry(ShownWindow::ColorChooser);
    entry.confirm = true;
    entry.color = color;
    m_queue.push_back(std::move(entry));
}

void HeadlessPresenter::CancelColor() { m_queue.push_back(Entry(ShownWindow::ColorChooser)); }

void HeadlessPresenter::AnswerMessageBox(int button)
{
    Entry entry(ShownWindow::MessageBox);
    entry.button = button;
    m_queue.push_back(std::move(entry));
}

std::vector<CString> HeadlessPresenter::MessageBoxTexts() const
{
    std::vector<CString> texts;
    for (const ShownWindow& window : m_shown)
        if (window.kind == ShownWindow::MessageBox) texts.push_back(window.message);
    return texts;
}

std::string HeadlessPresenter::Problems() const
{
    std::string all;
    for (const std::string& problem : m_problems) all += problem + "\n";
    for (const Entry& entry : m_queue) all += std::string("never opened: ") + KindName(entry.kind) + "\n";
    return all;
}

const char* HeadlessPresenter::KindName(ShownWindow::Kind kind)
{
    switch (kind) {
    case ShownWindow::Dialog: return "a dialog";
    case ShownWindow::FileChooser: return "a file chooser";
    case ShownWindow::ColorChooser: return "a colour chooser";
    case ShownWindow::MessageBox: return "a message box";
    }
    return "a window";
}

bool HeadlessPresenter::TakeEntry(ShownWindow::Kind kind, const CString& what, Entry& entry)
{
    if (m_queue.empty() || m_queue.front().kind != kind) {
        Problem("unexpected " + std::string(KindName(kind)) + " " + Quoted(what) +
                (m_queue.empty() ? ": nothing queued" : std::string(": queued was ") + KindName(m_queue.front().kind)));
        return false;
    }
    entry = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

void HeadlessPresenter::RunModal(CDialog& dialog)
{
    size_t index = m_shown.size();
    ShownWindow shown;
    shown.kind = ShownWindow::Dialog;
    shown.caption = dialog.WindowText();
    shown.templateId = dialog.GetTemplateId();
    shown.texts = ControlTexts(dialog);
    m_shown.push_back(shown);

    Entry entry(ShownWindow::Dialog);
    if (!TakeEntry(ShownWindow::Dialog, dialog.WindowText(), entry)) {
        dialog.EndDialog(IDCANCEL);
        return;
    }
    const DialogSteps& steps = entry.steps;
    if (!steps.m_caption.IsEmpty() && steps.m_caption != dialog.WindowText()) {
        Problem("expected dialog " + Quoted(steps.m_caption) + ", " + DialogName(dialog) + " opened");
        dialog.EndDialog(IDCANCEL);
        return;
    }
    for (const DialogSteps::Step& step : steps.m_steps) {
        if (dialog.IsEnded()) {
            Problem(DialogName(dialog) + " closed before step: " + step.description);
            break;
        }
        std::string failure = step.act(dialog);
        if (!failure.empty()) Problem(DialogName(dialog) + ", " + step.description + ": " + failure);
    }
    m_shown[index].textsAtEnd = ControlTexts(dialog);
    if (!dialog.IsEnded()) {
        Problem(DialogName(dialog) + " still open after its steps");
        dialog.EndDialog(IDCANCEL);
    }
    m_shown[index].endCode = dialog.GetEndCode();
}

bool HeadlessPresenter::ChooseFile(const FileDialogRequest& request, CString& path)
{
    ShownWindow shown;
    shown.kind = ShownWindow::FileChooser;
    shown.file = request;
    Entry entry(ShownWindow::FileChooser);
    bool queued = TakeEntry(ShownWindow::FileChooser, request.open ? "open" : "save", entry);
    bool confirmed = queued && entry.confirm;
    if (confirmed) {
        shown.answer = entry.path;
        std::error_code error;
        if (!request.open && (request.flags & OFN_OVERWRITEPROMPT) &&
            std::filesystem::exists(std::filesystem::path(entry.path.Bytes()), error)) {
            shown.overwritePrompted = true;
            confirmed = entry.confirmOverwrite;
        }
    }
    m_shown.push_back(shown);
    if (!confirmed) return false;
    path = entry.path;
    return true;
}

bool HeadlessPresenter::ChooseColor(const ColorDialogRequest& request, COLORREF& color)
{
    ShownWindow shown;
    shown.kind = ShownWindow::ColorChooser;
    shown.color = request;
    m_shown.push_back(shown);
    Entry entry(ShownWindow::ColorChooser);
    if (!TakeEntry(ShownWindow::ColorChooser, "colour", entry) || !entry.confirm) return false;
    color = entry.color;
    return true;
}

int HeadlessPresenter::ShowMessageBox(const MessageBoxRequest& request)
{
    ShownWindow shown;
    shown.kind = ShownWindow::MessageBox;
    shown.caption = request.caption;
    shown.message = request.text;
    shown.type = request.type;
    m_shown.push_back(shown);
    Entry entry(ShownWindow::MessageBox);
    if (!TakeEntry(ShownWindow::MessageBox, request.text, entry)) return IDOK;
    return entry.button;
}

} // namespace headless
