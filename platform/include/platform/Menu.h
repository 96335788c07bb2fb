// A menu: a menu bar built from a menu template, or a window's system menu.
// Choosing an item sends its command id to the window (a system menu's
// items arrive as system commands).
#pragma once

#include "platform/CString.h"
#include "platform/Resources.h"
#include "platform/Types.h"

#include <cstdint>
#include <memory>
#include <vector>

class CWnd;

class CMenu {
public:
    struct Item {
        UINT flags = MF_STRING; // MF_SEPARATOR, MF_POPUP, MF_GRAYED ...
        UINT id = 0;
        CString text;
        std::unique_ptr<CMenu> popup;
        bool IsSeparator() const { return (flags & MF_SEPARATOR) != 0; }
        bool IsEnabled() const { return (flags & (MF_GRAYED | MF_DISABLED)) == 0; }
    };

    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    void LoadFromTemplate(const MenuTemplate& menu);
    void LoadItems(const std::vector<MenuTemplateItem>& items);

    // Appends a text item or (MF_SEPARATOR) a separator.
    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, LPCTSTR text = nullptr);
    UINT GetMenuItemCount() const { return static_cast<UINT>(m_items.size()); }
    // The command id at a position: 0 for a separator, -1 for a submenu.
    UINT GetMenuItemID(int position) const;
    int GetMenuString(UINT idOrPosition, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int position) const;
    // Returns the item's previous enable flags, or -1 when there is no such item.
    UINT EnableMenuItem(UINT idOrPosition, UINT enable);
    // The item with this command id, searched through submenus too.
    const Item* FindCommand(UINT id) const;

    const std::vector<Item>& Items() const { return m_items; }
    uint64_t Revision() const { return m_revision; }

    // The window told of changes (a menu bar's or system menu's window).
    void SetOwner(CWnd* owner) { m_owner = owner; }

private:
    Item* Locate(UINT idOrPosition, UINT flags);
    void Changed();

    std::vector<Item> m_items;
    uint64_t m_revision = 0;
    CWnd* m_owner = nullptr;
};
