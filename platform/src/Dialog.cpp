#include "platform/Dialog.h"

#include "platform/Controls.h"
#include "platform/Presenter.h"
#include "platform/TreeCtrl.h"

#include <stdexcept>
#include <string>

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_templateId(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* pParentWnd)
    : m_templateId(dialogTemplate.id), m_template(&dialogTemplate), m_pParentWnd(pParentWnd)
{
}

// DoModal has always torn the window down by the time the object goes.
CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    if (m_template == nullptr) m_template = FindDialogTemplate(m_templateId);
    Presenter* presenter = GetPresenter();
    if (m_template == nullptr || presenter == nullptr || IsWindowCreated()) return -1;

    CreateWindowState();
    // The window goes however the dialog ends, an exception included.
    struct Teardown {
        CDialog& dialog;
        ~Teardown() { dialog.DestroyWindowState(); }
    } teardown {*this};

    OnInitDialog();
    if (!m_ended) {
        m_running = true;
        presenter->RunModal(*this);
        m_running = false;
        if (!m_ended) m_endCode = IDCANCEL; // a presenter that gave up
    }
    return m_endCode;
}

void CDialog::EndDialog(int nResult)
{
    m_ended = true;
    m_endCode = nResult;
    if (m_running) {
        if (Presenter* presenter = GetPresenter()) presenter->EndModal(*this);
    }
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

namespace {

std::unique_ptr<CWnd> MakeControl(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::GroupBox: return std::make_unique<CButton>();
    case ControlKind::Edit: return std::make_unique<CEdit>();
    case ControlKind::ComboBox: return std::make_unique<CComboBox>();
    case ControlKind::TreeView: return std::make_unique<CTreeCtrl>();
    case ControlKind::ListView: return std::make_unique<CListCtrl>();
    case ControlKind::ProgressBar: return std::make_unique<CProgressCtrl>();
    case ControlKind::StaticText:
    case ControlKind::StaticIcon: return std::make_unique<CStatic>();
    }
    return std::make_unique<CStatic>();
}

void FillDefaultSystemMenu(CMenu& menu, bool minimizeBox)
{
    if (minimizeBox) menu.AppendMenu(MF_STRING | MF_GRAYED, SC_RESTORE, "&Restore");
    menu.AppendMenu(MF_STRING, SC_MOVE, "&Move");
    if (minimizeBox) menu.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
}

} // namespace

void CDialog::CreateWindowState()
{
    const DialogTemplate& dialogTemplate = *m_template;
    m_ended = false;
    m_endCode = 0;
    m_iconic = false;
    m_focusId = 0;
    m_paint.clear();
    m_clientCx = DialogUnitsToPixelsX(dialogTemplate.cx, kDefaultBaseUnitX);
    m_clientCy = DialogUnitsToPixelsY(dialogTemplate.cy, kDefaultBaseUnitY);

    ControlTemplate self;
    self.id = 0;
    self.text = dialogTemplate.caption;
    self.rect = {0, 0, dialogTemplate.cx, dialogTemplate.cy};
    InitFromTemplate(nullptr, self);

    m_controls.clear();
    m_controls.reserve(dialogTemplate.controls.size());
    for (const ControlTemplate& control : dialogTemplate.controls) {
        Slot slot;
        slot.created = MakeControl(control.kind);
        CWnd& window = *slot.created;
        window.InitFromTemplate(this, control);
        if (auto* edit = dynamic_cast<CEdit*>(&window)) edit->m_readOnly = (control.style & ctl::ReadOnly) != 0;
        if (auto* icon = dynamic_cast<CStatic*>(&window); icon && control.kind == ControlKind::StaticIcon)
            icon->m_icon = FindIconResource(control.iconId);
        if (auto* combo = dynamic_cast<CComboBox*>(&window))
            for (const CString& entry : control.initialData) combo->AddString(entry);
        slot.active = slot.created.get();
        m_controls.push_back(std::move(slot));
    }

    m_menu.reset();
    if (dialogTemplate.menuId != 0) {
        if (const MenuTemplate* menu = FindMenuTemplate(dialogTemplate.menuId)) {
            m_menu = std::make_unique<CMenu>();
            m_menu->SetOwner(this);
            m_menu->LoadFromTemplate(*menu);
        }
    }
    m_systemMenu.reset();
    if (dialogTemplate.style & dlg::SystemMenu) {
        m_systemMenu = std::make_unique<CMenu>();
        m_systemMenu->SetOwner(this);
        FillDefaultSystemMenu(*m_systemMenu, (dialogTemplate.style & dlg::MinimizeBox) != 0);
    }
}

void CDialog::DestroyWindowState()
{
    for (Slot& slot : m_controls) {
        if (slot.active && slot.active != slot.created.get()) {
            // A bound member outlives the window: it keeps its state, but
            // is no longer a control of this dialog.
            slot.active->m_created = false;
            slot.active->m_pDialog = nullptr;
        }
    }
    m_controls.clear();
    m_menu.reset();
    m_systemMenu.reset();
    m_running = false;
    CWnd::m_created = false;
}

const CDialog::Slot* CDialog::FindSlot(int id) const
{
    for (const Slot& slot : m_controls)
        if (slot.active->GetDlgCtrlID() == id) return &slot;
    return nullptr;
}

void CDialog::BindControl(int id, CWnd& member)
{
    auto* slot = const_cast<Slot*>(FindSlot(id));
    if (slot == nullptr)
        throw std::logic_error("dialog " + std::to_string(m_templateId) + " has no control " + std::to_string(id));
    if (slot->active == &member) return;
    if (!member.AcceptsKind(slot->active->GetControlKind()))
        throw std::logic_error("control " + std::to_string(id) + " is a " +
                               ControlKindName(slot->active->GetControlKind()) + ", which this member cannot stand for");
    if (member.IsWindowCreated())
        throw std::logic_error("member bound to control " + std::to_string(id) + " is already a control");
    member.AdoptState(*slot->active);
    slot->active = &member;
    member.Changed();
}

CWnd* CDialog::GetControl(int index) const
{
    if (index < 0 || index >= GetControlCount()) return nullptr;
    return m_controls[static_cast<size_t>(index)].active;
}

CWnd* CDialog::GetDlgItem(int id) const
{
    const Slot* slot = FindSlot(id);
    return slot ? slot->active : nullptr;
}

CWnd* CDialog::FindDefaultButton() const
{
    for (const Slot& slot : m_controls)
        if (slot.active->GetControlKind() == ControlKind::PushButton && slot.active->HasStyle(ctl::DefaultButton))
            return slot.active;
    return nullptr;
}

int CDialog::GetDefaultButtonId() const
{
    CWnd* button = FindDefaultButton();
    return button ? button->GetDlgCtrlID() : IDOK;
}

void CDialog::SendCommand(UINT id)
{
    MessageArgs args;
    DispatchMessage(MessageKind::Command, 0, id, args);
}

LRESULT CDialog::SendNotify(NMHDR* header)
{
    LRESULT result = 0;
    MessageArgs args;
    args.header = header;
    args.result = &result;
    DispatchMessage(MessageKind::Notify, header->code, static_cast<UINT>(header->idFrom), args);
    return result;
}

void CDialog::SendSysCommand(UINT nID, LPARAM lParam)
{
    MessageArgs args;
    args.id = nID;
    args.lParam = lParam;
    if (!DispatchMessage(MessageKind::SysCommand, 0, 0, args)) DefaultSysCommand(nID, lParam);
}

void CDialog::SendPaint()
{
    m_paint.clear();
    MessageArgs args;
    if (!DispatchMessage(MessageKind::Paint, 0, 0, args)) DefaultPaint();
}

HCURSOR CDialog::QueryDragIcon()
{
    MessageArgs args;
    DispatchMessage(MessageKind::QueryDragIcon, 0, 0, args);
    return args.icon;
}

LRESULT CDialog::SendMessage(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    if (message == WM_ICONERASEBKGND) {
        m_paint.push_back({PaintOperation::EraseIconBackground, 0, 0, nullptr});
        return 1;
    }
    return 0;
}

void CDialog::DefaultSysCommand(UINT nID, LPARAM /*lParam*/)
{
    switch (nID & 0xFFF0) {
    case SC_CLOSE: SendCommand(IDCANCEL); break;
    case SC_MINIMIZE: SetIconic(true); break;
    case SC_RESTORE: SetIconic(false); break;
    default: break;
    }
}

void CDialog::SetIconic(bool iconic)
{
    if (m_iconic == iconic) return;
    m_iconic = iconic;
    if (m_systemMenu) {
        m_systemMenu->EnableMenuItem(SC_RESTORE, iconic ? MF_ENABLED : MF_GRAYED);
        m_systemMenu->EnableMenuItem(SC_MINIMIZE, iconic ? MF_GRAYED : MF_ENABLED);
    }
    Changed();
}

void CDialog::DefaultPaint()
{
    CPaintDC dc(this);
    m_paint.push_back({PaintOperation::DialogBackground, 0, 0, nullptr});
}

void CDialog::PressEnter()
{
    if (CWnd* button = FindDefaultButton()) {
        if (button->IsWindowEnabled()) SendCommand(static_cast<UINT>(button->GetDlgCtrlID()));
        return;
    }
    SendCommand(IDOK);
}

void CDialog::PressEscape() { SendCommand(IDCANCEL); }

void CDialog::PressCloseBox()
{
    if (m_systemMenu) SendSysCommand(SC_CLOSE);
}

bool CDialog::ChooseMenuCommand(UINT id)
{
    const CMenu::Item* item = m_menu ? m_menu->FindCommand(id) : nullptr;
    if (item == nullptr || !item->IsEnabled()) return false;
    SendCommand(id);
    return true;
}

bool CDialog::ChooseSystemMenuCommand(UINT id)
{
    const CMenu::Item* item = m_systemMenu ? m_systemMenu->FindCommand(id) : nullptr;
    if (item == nullptr || !item->IsEnabled()) return false;
    SendSysCommand(id);
    return true;
}

CMenu* CDialog::GetSystemMenu(BOOL bRevert)
{
    if (!m_systemMenu) return nullptr;
    if (bRevert) {
        m_systemMenu = std::make_unique<CMenu>();
        m_systemMenu->SetOwner(this);
        FillDefaultSystemMenu(*m_systemMenu, m_template && (m_template->style & dlg::MinimizeBox));
        return nullptr;
    }
    return m_systemMenu.get();
}

HICON CDialog::SetIcon(HICON icon, BOOL bBigIcon)
{
    HICON& slot = bBigIcon ? m_bigIcon : m_smallIcon;
    HICON old = slot;
    if (slot != icon) {
        slot = icon;
        Changed();
    }
    return old;
}

void CDialog::GetClientRect(LPRECT rect) const
{
    if (rect == nullptr) return;
    *rect = RECT {0, 0, m_clientCx, m_clientCy};
}

void CDialog::SetClientSize(int cx, int cy)
{
    m_clientCx = cx;
    m_clientCy = cy;
}

void CDialog::GotoDlgCtrl(CWnd* control)
{
    if (control == nullptr) return;
    m_focusId = control->GetDlgCtrlID();
    Changed();
}

CPaintDC::CPaintDC(CWnd* window) : m_dialog(dynamic_cast<CDialog*>(window)) {}

CPaintDC::~CPaintDC() = default;

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon)
{
    if (m_dialog == nullptr || icon == nullptr) return FALSE;
    m_dialog->m_paint.push_back({CDialog::PaintOperation::DrawIcon, x, y, icon});
    return TRUE;
}
