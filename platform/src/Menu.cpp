#include "platform/Menu.h"

#include "platform/Wnd.h"

void CMenu::LoadFromTemplate(const MenuTemplate& menu) { LoadItems(menu.items); }

void CMenu::LoadItems(const std::vector<MenuTemplateItem>& items)
{
    m_items.clear();
    for (const MenuTemplateItem& source : items) {
        Item item;
        item.text = source.text;
        item.id = source.id;
        if (source.separator) {
            item.flags = MF_SEPARATOR;
        } else if (source.IsPopup()) {
            item.flags = MF_POPUP;
            item.popup = std::make_unique<CMenu>();
            item.popup->SetOwner(m_owner);
            item.popup->LoadItems(source.items);
        }
        m_items.push_back(std::move(item));
    }
    Changed();
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, LPCTSTR text)
{
    Item item;
    item.flags = flags & ~MF_POPUP; // submenus come from templates only
    if (!item.IsSeparator()) {
        item.id = static_cast<UINT>(idNewItem);
        item.text = text ? text : "";
    }
    m_items.push_back(std::move(item));
    Changed();
    return TRUE;
}

UINT CMenu::GetMenuItemID(int position) const
{
    if (position < 0 || position >= static_cast<int>(m_items.size())) return static_cast<UINT>(-1);
    const Item& item = m_items[static_cast<size_t>(position)];
    if (item.popup) return static_cast<UINT>(-1);
    return item.IsSeparator() ? 0 : item.id;
}

CMenu::Item* CMenu::Locate(UINT idOrPosition, UINT flags)
{
    if (flags & MF_BYPOSITION) {
        return idOrPosition < m_items.size() ? &m_items[idOrPosition] : nullptr;
    }
    return const_cast<Item*>(FindCommand(idOrPosition));
}

int CMenu::GetMenuString(UINT idOrPosition, CString& text, UINT flags) const
{
    const Item* item = const_cast<CMenu*>(this)->Locate(idOrPosition, flags);
    text = item ? item->text : CString();
    return text.GetLength();
}

CMenu* CMenu::GetSubMenu(int position) const
{
    if (position < 0 || position >= static_cast<int>(m_items.size())) return nullptr;
    return m_items[static_cast<size_t>(position)].popup.get();
}

UINT CMenu::EnableMenuItem(UINT idOrPosition, UINT enable)
{
    Item* item = Locate(idOrPosition, enable);
    if (!item) return static_cast<UINT>(-1);
    UINT old = item->flags & (MF_GRAYED | MF_DISABLED);
    item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    Changed();
    return old;
}

const CMenu::Item* CMenu::FindCommand(UINT id) const
{
    for (const Item& item : m_items) {
        if (item.popup) {
            if (const Item* found = item.popup->FindCommand(id)) return found;
        } else if (!item.IsSeparator() && item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

void CMenu::Changed()
{
    ++m_revision;
    if (m_owner) m_owner->Changed();
}
