#include "classlib/MessageMap.h"

const CMessageEntry* CMessageMap::FindMessage(UINT message) const
{
    for (const CMessageMap* map = this; map; map = map->m_base) {
        for (const CMessageEntry& e : map->m_entries) {
            if (e.kind == CMessageEntry::Message && e.message == message) {
                return &e;
            }
        }
    }
    return nullptr;
}

const CMessageEntry* CMessageMap::FindCommand(UINT id, UINT code) const
{
    for (const CMessageMap* map = this; map; map = map->m_base) {
        for (const CMessageEntry& e : map->m_entries) {
            if (id < e.first || id > e.last) {
                continue;
            }
            if (e.kind == CMessageEntry::Command && code <= 1) {
                return &e;
            }
            if (e.kind == CMessageEntry::Control && e.code == code) {
                return &e;
            }
        }
    }
    return nullptr;
}

const CMessageMap* CCmdTarget::GetMessageMap() const
{
    static const CMessageMap empty;
    return &empty;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam)
{
    const CMessageEntry* e = GetMessageMap()->FindCommand(id, code);
    if (!e) {
        return FALSE;
    }
    e->call(*this, WM_COMMAND, wParam, lParam);
    return TRUE;
}
