#include "platform/Wnd.h"

#include "platform/DataExchange.h"
#include "platform/Presenter.h"
#include "platform/WinApp.h"

const MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = {{MessageKind::End, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

bool CCmdTarget::DispatchMessage(MessageKind kind, UINT code, UINT id, MessageArgs& args)
{
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->kind != MessageKind::End; ++entry) {
            if (entry->kind != kind) continue;
            bool addressed = kind == MessageKind::Command || kind == MessageKind::Notify;
            if (addressed && (entry->code != code || entry->id != id)) continue;
            entry->thunk(this, args);
            return true;
        }
    }
    return false;
}

CWnd::~CWnd()
{
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
}

void CWnd::InitFromTemplate(CDialog* dialog, const ControlTemplate& control)
{
    m_pDialog = dialog;
    m_created = true;
    m_id = control.id;
    m_kind = control.kind;
    m_style = control.style;
    m_rect = control.rect;
    m_text = control.text;
    m_enabled = (control.style & ctl::Disabled) == 0;
    Changed();
}

void CWnd::SetWindowText(const CString& text)
{
    // Window texts end at their first zero byte.
    CString shown(text.GetString());
    if (shown == m_text) return;
    m_text = shown;
    Changed();
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    bool wasDisabled = !m_enabled;
    if (m_enabled != (enable != FALSE)) {
        m_enabled = enable != FALSE;
        Changed();
    }
    return wasDisabled ? TRUE : FALSE;
}

CWnd* CWnd::GetDlgItem(int /*id*/) const { return nullptr; }

void CWnd::SetDlgItemText(int id, const CString& text)
{
    if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    CWnd* item = GetDlgItem(id);
    text = item ? item->WindowText() : CString();
    return text.GetLength();
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    if (!m_created) return FALSE;
    CDataExchange exchange(this, bSaveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange* /*pDX*/) {}

void CWnd::Changed()
{
    ++m_revision;
    if (!m_created) return;
    if (Presenter* presenter = GetPresenter()) presenter->WindowChanged(*this);
}

bool CWnd::AcceptsKind(ControlKind /*kind*/) const { return true; }

void CWnd::AdoptState(const CWnd& from)
{
    m_pDialog = from.m_pDialog;
    m_created = from.m_created;
    m_id = from.m_id;
    m_kind = from.m_kind;
    m_style = from.m_style;
    m_rect = from.m_rect;
    m_text = from.m_text;
    m_enabled = from.m_enabled;
    // Past both revisions, so a presenter sees the swap as a change.
    m_revision = (m_revision > from.m_revision ? m_revision : from.m_revision) + 1;
}
