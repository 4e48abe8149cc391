#include "dialogs/DlgMessages.h"

#include <commctrl.h>

#include <cstdlib>

#include "appsvc/OXRApp.h"
#include "controls/ICList.h"
#include "dialogs/DialogIds.h"
#include "foundation/DParser.h"

namespace {

const std::vector<ColumnSpec> kColumns = {
    {200, "from", "from"},
    {200, "where", "Where"},
    {500, "what", "What"},
};

} // namespace

DlgMessages::DlgMessages(CWnd* parent) : DlgFrame(IDD_MESSAGES, parent, "dialog.messages") {}

bool DlgMessages::AddMessage(const DProps& bag)
{
    if (bag.Count() < 1)
        return false;
    m_messages.push_back(bag);
    return true;
}

bool DlgMessages::SetMessages(const std::vector<DProps>& bags)
{
    if (bags.empty())
        return false;
    m_messages = bags;
    return true;
}

std::vector<DlgMessages::Row> DlgMessages::BuildRows(const std::vector<DProps>& bags)
{
    std::vector<Row> rows;
    OXRApp* app = GetApp();
    // A copy: expanding must not touch the application's own variables.
    const DParser none;
    DParser parser(app ? app->Parser() : none);
    for (const DProps& bag : bags) {
        for (int i = 0; i < bag.Count(); ++i) {
            const char* key = bag.GetKeyAt(i);
            const char* value = bag.GetValueAt(i);
            const long code = (key && *key) ? atol(key) : 0;
            Row row;
            row.material = bag.Name();
            row.place = parser.Expand(value ? value : "");
            row.message = app ? app->GetStatusText(code) : std::string(code == 0 ? "Ok" : "Error");
            rows.push_back(row);
        }
    }
    return rows;
}

BOOL DlgMessages::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    const std::string title = DProps::GetString(m_params, "title", "");
    ::SetWindowTextA(m_hWnd, (title.empty() ? Text("title", "Messages") : title).c_str());
    m_list = WrapList(IDC_MESSAGES_LIST);
    if (m_list) {
        ListSetFonts(StyleFont("list.1"), m_list->GetHwnd(), StyleFont("list.2"));
        SetupListColumns(*m_list, m_locale, kColumns, ColumnRounding::Nearest,
                         LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    }
    FillList();
    SetFont(IDCANCEL, "buttNorm");
    SetItemText(IDCANCEL, Text("cancel", "Close"));
    return FALSE;
}

void DlgMessages::FillList()
{
    if (!m_list)
        return;
    m_list->DeleteAllItems();
    long row = 0;
    for (const Row& r : BuildRows(m_messages)) {
        m_list->SetCell(row, 0, r.material.c_str(), nullptr);
        m_list->SetCell(row, 1, r.place.c_str(), nullptr);
        m_list->SetCell(row, 2, r.message.c_str(), nullptr);
        ++row;
    }
}
