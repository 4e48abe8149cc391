// A modeless test dialog that hosts strips, lists and panels and records what
// its children tell it: WM_COMMAND from a tab strip (with the bag that lives
// only during the call) and the offset query of a repositioned panel.
#pragma once

#include "classlib/CDialog.h"
#include "controls/ICPanel.h"
#include "foundation/DProps.h"

#include <windows.h>

#include <string>
#include <vector>

struct HostNotice {
    UINT id;
    UINT code;
    bool hadBag;
    long tab;
    std::string type;
    std::string msg;
    long bagId;
};

class HostDialog : public CDialog {
public:
    explicit HostDialog(UINT templateId) : CDialog(templateId) {}

    bool Open() { return Create(GetTemplateId()) && IsWindow(); }

    std::vector<HostNotice> notices;
    LRESULT offset = 0;
    int offsetQueries = 0;

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        HostNotice n{LOWORD(wParam), HIWORD(wParam), false, -1, "", "", 0};
        if (n.code == PANEL_NOTIFY_CODE && lParam) {
            const DProps* bag = reinterpret_cast<const DProps*>(lParam);
            n.hadBag = true;
            n.tab = DProps::GetLong(bag, "tab", -1);
            n.type = DProps::GetString(bag, "type", "");
            n.msg = DProps::GetString(bag, "msg", "");
            n.bagId = DProps::GetLong(bag, "id", 0);
        }
        notices.push_back(n);
        return TRUE;
    }

    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<HostDialog> map =
            CMessageMapOf<HostDialog>(CDialog::GetMessageMap()).On(WM_PANEL_QUERY_OFFSET, &HostDialog::OnOffset);
        return &map;
    }

    LRESULT OnOffset(WPARAM, LPARAM)
    {
        ++offsetQueries;
        return offset;
    }
};
