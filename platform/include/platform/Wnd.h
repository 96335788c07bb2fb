// Command targets with message maps, and the window base class that
// dialogs and their controls share.
//
// A message map routes what the user does to handlers: commands (button
// clicks, menu items) by id, notifications (a tree's selection change) by
// code and control id, system commands, painting and the drag-icon query.
// Maps chain to the base class's map; the first matching entry wins.
#pragma once

#include "platform/CString.h"
#include "platform/Resources.h"
#include "platform/Types.h"

#include <cstddef>
#include <cstdint>

class CCmdTarget;
class CDataExchange;
class CDialog;

enum class MessageKind {
    End, // closes a map's entry table
    Command,
    Notify,
    SysCommand,
    Paint,
    QueryDragIcon,
};

// What a message carries to its handler and back.
struct MessageArgs {
    UINT id = 0;               // system command id
    LPARAM lParam = 0;         // system command parameter
    NMHDR* header = nullptr;   // notifications
    LRESULT* result = nullptr; // notifications: the result word
    HCURSOR icon = nullptr;    // drag-icon query: the answer
};

using MessageThunk = void (*)(CCmdTarget* target, MessageArgs& args);

struct MessageMapEntry {
    MessageKind kind;
    UINT code; // command or notification code
    UINT id;   // command id or control id
    MessageThunk thunk;
};

struct MessageMap {
    const MessageMap* (*base)(); // null at the root
    const MessageMapEntry* entries;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }
    // Runs the first handler of the map chain that matches; false when none does.
    bool DispatchMessage(MessageKind kind, UINT code, UINT id, MessageArgs& args);

protected:
    static const MessageMap* GetThisMessageMap();
};

// Declares a class's message map (in the class body; leaves the access protected).
#define DECLARE_MESSAGE_MAP()                       \
protected:                                          \
    static const MessageMap* GetThisMessageMap();   \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                   \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap()                              \
    {                                                                            \
        using ThisClass = theClass;                                              \
        using TheBaseClass = baseClass;                                          \
        static_assert(sizeof(ThisClass) > 0);                                    \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                        \
            {MessageKind::End, 0, 0, nullptr}                                    \
        };                                                                       \
        static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                             \
    }

// memberFxn is written &Class::Handler.
#define ON_COMMAND(id, memberFxn)                                                \
    {MessageKind::Command, 0, static_cast<UINT>(id),                             \
     [](CCmdTarget* target, MessageArgs&) { (static_cast<ThisClass*>(target)->*(memberFxn))(); }},
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn)                                           \
    {MessageKind::Notify, static_cast<UINT>(code), static_cast<UINT>(id),        \
     [](CCmdTarget* target, MessageArgs& args) {                                 \
         (static_cast<ThisClass*>(target)->*(memberFxn))(args.header, args.result); \
     }},
#define ON_WM_SYSCOMMAND()                                                       \
    {MessageKind::SysCommand, 0, 0, [](CCmdTarget* target, MessageArgs& args) {  \
         static_cast<ThisClass*>(target)->OnSysCommand(args.id, args.lParam);   \
     }},
#define ON_WM_PAINT()                                                            \
    {MessageKind::Paint, 0, 0,                                                   \
     [](CCmdTarget* target, MessageArgs&) { static_cast<ThisClass*>(target)->OnPaint(); }},
#define ON_WM_QUERYDRAGICON()                                                    \
    {MessageKind::QueryDragIcon, 0, 0, [](CCmdTarget* target, MessageArgs& args) { \
         args.icon = static_cast<ThisClass*>(target)->OnQueryDragIcon();        \
     }},

// A window: a dialog, or one control of a dialog. A control's state is its
// model, which the presenter shows and user input changes; Revision() grows
// with every change so that a presenter can tell what to refresh.
class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // A control exists while its dialog runs; a dialog from DoModal until it ends.
    bool IsWindowCreated() const { return m_created; }
    int GetDlgCtrlID() const { return m_id; }
    ControlKind GetControlKind() const { return m_kind; }
    uint64_t GetControlStyle() const { return m_style; }
    bool HasStyle(uint64_t flag) const { return (m_style & flag) != 0; }
    const DialogRect& GetDialogRect() const { return m_rect; }
    // The dialog a control belongs to; null for dialogs and unbound controls.
    CDialog* GetParentDialog() const { return m_pDialog; }

    // Window text: a dialog's caption, a control's text (a combo box's edit field).
    void SetWindowText(const CString& text);
    void GetWindowText(CString& text) const { text = m_text; }
    const CString& WindowText() const { return m_text; }
    int GetWindowTextLength() const { return m_text.GetLength(); }
    // Returns nonzero when the window was disabled before.
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const { return m_enabled ? TRUE : FALSE; }

    virtual CWnd* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const CString& text);
    int GetDlgItemText(int id, CString& text) const;

    // Runs DoDataExchange: TRUE takes the controls into the members (and
    // validates), FALSE shows the members in the controls. FALSE on a
    // refusal (after its message was shown) or when the window does not exist.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    uint64_t Revision() const { return m_revision; }

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    // The default handling that a handler passes messages on to.
    void OnSysCommand(UINT nID, LPARAM lParam) { DefaultSysCommand(nID, lParam); }
    void OnPaint() { DefaultPaint(); }
    virtual void DefaultSysCommand(UINT /*nID*/, LPARAM /*lParam*/) {}
    virtual void DefaultPaint() {}

    // Records a change of the window's state and tells the presenter.
    void Changed();

    // Controls: whether a member of this class can stand for a control of
    // that kind, and taking over the state of the control it replaces.
    virtual bool AcceptsKind(ControlKind kind) const;
    virtual void AdoptState(const CWnd& from);

private:
    friend class CDialog;
    friend class CMenu;
    void InitFromTemplate(CDialog* dialog, const ControlTemplate& control);

    CDialog* m_pDialog = nullptr;
    bool m_created = false;
    int m_id = 0;
    ControlKind m_kind = ControlKind::StaticText;
    uint64_t m_style = 0;
    DialogRect m_rect;
    CString m_text;
    bool m_enabled = true;
    uint64_t m_revision = 0;
};
