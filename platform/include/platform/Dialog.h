// Modal dialogs built from dialog templates.
//
// DoModal creates a model object for every control of the template (combo
// boxes filled from the template's initial data), the menu bar and the
// system menu, runs OnInitDialog (whose base exchanges the members to the
// controls) and hands the dialog to the active presenter until EndDialog.
// Afterwards the controls are destroyed and DoModal returns the end code.
//
// Everything the user does reaches the dialog as a message through its
// message map: a button click or a menu item is a command with its id, a
// tree's selection change a notification of the tree's id, a system menu
// item a system command. Id 1 (IDOK) and id 2 (IDCANCEL) have the base
// handling: OnOK takes every bound control into its member and ends the
// dialog, OnCancel ends it without exchange. Enter presses the default
// button (or sends IDOK where the template marks none); Esc sends IDCANCEL;
// the close box sends the system command SC_CLOSE, which ends as Cancel.
#pragma once

#include "platform/Menu.h"
#include "platform/Resources.h"
#include "platform/Wnd.h"

#include <memory>
#include <vector>

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // A dialog from a template that is not a resource (tests, tools).
    explicit CDialog(const DialogTemplate& dialogTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; -1 when it cannot be shown (no template or
    // no presenter).
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    virtual BOOL OnInitDialog();

    UINT GetTemplateId() const { return m_templateId; }
    // The template; null before DoModal has looked it up.
    const DialogTemplate* GetTemplate() const { return m_template; }
    CWnd* GetParent() const { return m_pParentWnd; }

    // The controls in template order (each the bound member where one is bound).
    int GetControlCount() const { return static_cast<int>(m_controls.size()); }
    CWnd* GetControl(int index) const;
    CWnd* GetDlgItem(int id) const override;
    int GetDefaultButtonId() const;

    // True once EndDialog has run in the current DoModal.
    bool IsEnded() const { return m_ended; }
    int GetEndCode() const { return m_endCode; }

    // Messages, each through the message map.
    void SendCommand(UINT id);
    LRESULT SendNotify(NMHDR* header);
    void SendSysCommand(UINT nID, LPARAM lParam = 0);
    void SendPaint();
    HCURSOR QueryDragIcon();
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // What the user does to the window as a whole (presenters call these).
    void PressEnter();
    void PressEscape();
    void PressCloseBox();
    // A menu bar item; false when there is no such enabled item.
    bool ChooseMenuCommand(UINT id);
    // A system menu item; false when there is no such enabled item.
    bool ChooseSystemMenuCommand(UINT id);

    // Window features.
    CMenu* GetMenu() { return m_menu.get(); }
    // The system menu; null when the template gives the dialog none.
    CMenu* GetSystemMenu(BOOL bRevert);
    HICON SetIcon(HICON icon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const { return bBigIcon ? m_bigIcon : m_smallIcon; }
    BOOL IsIconic() const { return m_iconic ? TRUE : FALSE; }
    // Minimised or not (SC_MINIMIZE and SC_RESTORE do this; a presenter
    // whose window was minimised by other means tells the model here).
    void SetIconic(bool iconic);
    void GetClientRect(LPRECT rect) const;
    // A presenter that lays the dialog out with real font metrics sets the
    // client size it gave the window (pixels).
    void SetClientSize(int cx, int cy);
    // The control that has the keyboard focus (a refusal puts it on the
    // refused control); 0 when none is known.
    int GetFocusId() const { return m_focusId; }
    void GotoDlgCtrl(CWnd* control);

    // What the last paint drew, for presenters and tests.
    struct PaintOperation {
        enum Kind { EraseIconBackground, DrawIcon, DialogBackground } kind;
        int x = 0;
        int y = 0;
        HICON icon = nullptr;
    };
    const std::vector<PaintOperation>& LastPaint() const { return m_paint; }

protected:
    virtual void OnOK();
    virtual void OnCancel();

    void DefaultSysCommand(UINT nID, LPARAM lParam) override;
    void DefaultPaint() override;

    DECLARE_MESSAGE_MAP()

private:
    friend class CPaintDC;
    friend void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
    struct Slot {
        std::unique_ptr<CWnd> created; // the object made from the template
        CWnd* active = nullptr;        // the bound member, or `created`
    };
    void CreateWindowState();
    void DestroyWindowState();
    void BindControl(int id, CWnd& member);
    const Slot* FindSlot(int id) const;
    CWnd* FindDefaultButton() const;

    UINT m_templateId = 0;
    const DialogTemplate* m_template = nullptr;
    CWnd* m_pParentWnd = nullptr;
    std::vector<Slot> m_controls;
    std::unique_ptr<CMenu> m_menu;
    std::unique_ptr<CMenu> m_systemMenu;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    bool m_iconic = false;
    int m_clientCx = 0;
    int m_clientCy = 0;
    int m_focusId = 0;
    bool m_running = false; // between the presenter's start and the end
    bool m_ended = false;
    int m_endCode = 0;
    std::vector<PaintOperation> m_paint;
};

// Painting of a window: what the drawing calls record.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    // The device context's handle, as a message parameter.
    void* GetSafeHdc() const { return const_cast<CPaintDC*>(this); }
    BOOL DrawIcon(int x, int y, HICON icon);

private:
    CDialog* m_dialog;
};
