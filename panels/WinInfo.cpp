#include "panels/WinInfo.h"

#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "controls/ICStatic.h"
#include "panels/PanelIds.h"

namespace {

// The whole text of an edit, however long.
std::string EditText(HWND edit)
{
    const int length = edit ? ::GetWindowTextLengthA(edit) : 0;
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(edit, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

} // namespace

WinInfo::WinInfo() : WinPanel(kPanelInfo, nullptr, nullptr, "window.info") {}

const CMessageMap* WinInfo::GetMessageMap() const
{
    static const CMessageMapOf<WinInfo> map =
        CMessageMapOf<WinInfo>(WinPanel::GetMessageMap())
            .On(WM_SIZE, &WinInfo::OnSizeMsg)
            .On(WM_SHOWWINDOW, &WinInfo::OnShowWindowMsg);
    return &map;
}

BOOL WinInfo::OnInitDialog()
{
    WinPanel::OnInitDialog();
    m_shown = (::GetWindowLongA(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    SetBackColor(0xFFFFFF);
    SetLanguageMarker();
    ReadLocale(false);
    struct Heading {
        int id;
        const char* key;
        const char* text;
    };
    for (const Heading& h : {Heading{IDC_INFO_COMMENT_TITLE, "comments", "Addition information on material"},
                             Heading{IDC_INFO_NOTES_TITLE, "notes", "Notes on calculations"}}) {
        if (HWND window = GetDlgItem(h.id)) {
            SetFont(h.id, "font.2b");
            auto* label = new ICStatic(window, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            label->SetText(Text(h.key, h.text).c_str());
            AddControl(label);
        }
    }
    for (int id : {IDC_INFO_COMMENT, IDC_INFO_NOTES}) {
        SetFont(id, "calc");
        // The texts are kept whole, however long.
        ::SendDlgItemMessageA(m_hWnd, id, EM_SETLIMITTEXT, 0, 0);
    }
    SetFont(IDC_INFO_COMMENT_ADD, "calc");
    SetFont(IDC_INFO_NOTES_ADD, "calc");
    ::SetDlgItemTextA(m_hWnd, IDC_INFO_COMMENT_ADD,
                      (" " + Text("comments.add", "Add this information to the Report")).c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_INFO_NOTES_ADD, (" " + Text("notes.add", "Add Notes to the Report")).c_str());
    m_material = nullptr;
    LoadMaterial();
    LayoutControls();
    return TRUE;
}

bool WinInfo::IsShown() const
{
    return m_shown;
}

void WinInfo::WriteBox(int id, const std::string& text)
{
    HWND edit = GetDlgItem(id);
    if (!edit || EditText(edit) == text)
        return;
    m_writing = true;
    ::SetWindowTextA(edit, text.c_str());
    m_writing = false;
}

void WinInfo::LoadMaterial()
{
    if (m_material) {
        const DProps& props = m_material->GetProperties();
        ::CheckDlgButton(m_hWnd, IDC_INFO_COMMENT_ADD,
                         DProps::GetLong(props, "comment.active", 0) > 0 ? BST_CHECKED : BST_UNCHECKED);
        ::CheckDlgButton(m_hWnd, IDC_INFO_NOTES_ADD,
                         DProps::GetLong(props, "notes.active", 0) > 0 ? BST_CHECKED : BST_UNCHECKED);
    } else {
        ::CheckDlgButton(m_hWnd, IDC_INFO_COMMENT_ADD, BST_UNCHECKED);
        ::CheckDlgButton(m_hWnd, IDC_INFO_NOTES_ADD, BST_UNCHECKED);
    }
    if (!IsShown()) {
        m_textsPending = true;
        return;
    }
    FillTexts();
}

void WinInfo::FillTexts()
{
    m_textsPending = false;
    const DProps* props = m_material ? &m_material->GetProperties() : nullptr;
    WriteBox(IDC_INFO_COMMENT, props ? DProps::GetString(*props, "comment", "") : std::string());
    WriteBox(IDC_INFO_NOTES, props ? DProps::GetString(*props, "notes", "") : std::string());
}

LRESULT WinInfo::OnShowWindowMsg(WPARAM wParam, LPARAM)
{
    LRESULT result = Default();
    m_shown = wParam != 0;
    if (!m_shown || (!m_layoutPending && !m_textsPending))
        return result;
    if (m_layoutPending) {
        // Boxes about to take new texts are emptied first, so that placing
        // them wraps nothing and the new texts are wrapped once.
        if (m_textsPending) {
            WriteBox(IDC_INFO_COMMENT, std::string());
            WriteBox(IDC_INFO_NOTES, std::string());
        }
        m_layoutPending = false;
        LayoutWithoutRedraw(m_hWnd, [this] { PlaceControls(); });
    }
    if (m_textsPending)
        FillTexts();
    return result;
}

BOOL WinInfo::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (!m_material || !IsWindow())
        return WinPanel::OnCommand(wParam, lParam);
    bool stored = false;
    // The page's own writing tells nothing new, and a box still waiting for
    // the material's text holds nothing of it to store.
    const bool ownText = m_writing || m_textsPending;
    if ((id == IDC_INFO_COMMENT || id == IDC_INFO_NOTES) && !ownText &&
        (code == EN_CHANGE || code == EN_UPDATE || code == EN_KILLFOCUS)) {
        m_material->SetProperty(id == IDC_INFO_COMMENT ? "comment" : "notes", EditText(GetDlgItem(id)).c_str());
        stored = true;
    } else if (id == IDC_INFO_COMMENT_ADD || id == IDC_INFO_NOTES_ADD) {
        const bool ticked = ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
        m_material->SetProperty(id == IDC_INFO_COMMENT_ADD ? "comment.active" : "notes.active", ticked ? "1" : "0");
        stored = true;
    }
    if (stored) {
        m_material->Refresh(false);
        App().UpdateTitle(false);
    }
    return WinPanel::OnCommand(wParam, lParam);
}

void WinInfo::ShowCurrentMaterial()
{
    m_material = App().Document().GetProject(-1, false);
    LoadMaterial();
}

void WinInfo::OnAppEvent(long code, const void*)
{
    switch (code) {
    case kEventProjectClosed:
        m_material = nullptr;
        LoadMaterial();
        break;
    case kEventProjectOpened:
    case kEventCurrentMaterialChanged:
        ShowCurrentMaterial();
        break;
    default:
        break;
    }
}

LRESULT WinInfo::OnSizeMsg(WPARAM, LPARAM)
{
    LRESULT result = Default();
    LayoutWithoutRedraw(m_hWnd, [this] { LayoutControls(); });
    return result;
}

void WinInfo::LayoutControls()
{
    if (!IsShown()) {
        m_layoutPending = true;
        return;
    }
    m_layoutPending = false;
    PlaceControls();
}

void WinInfo::PlaceControls()
{
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    auto place = [this](int id, RECT& rect) { return WinGetRectInParent(GetDlgItem(id), &rect); };
    RECT heading = {0, 0, 0, 0};
    if (!place(IDC_INFO_COMMENT_TITLE, heading))
        return;
    const long margin = heading.left;
    const long headingRight = client.right - 4;
    for (int id : {IDC_INFO_COMMENT_TITLE, IDC_INFO_NOTES_TITLE}) {
        RECT r = {0, 0, 0, 0};
        if (place(id, r))
            ::MoveWindow(GetDlgItem(id), r.left, r.top, headingRight - r.left, r.bottom - r.top, TRUE);
    }
    const long boxRight = headingRight - margin;
    RECT comment = {0, 0, 0, 0};
    if (place(IDC_INFO_COMMENT, comment))
        ::MoveWindow(GetDlgItem(IDC_INFO_COMMENT), comment.left, comment.top, boxRight - comment.left,
                     comment.bottom - comment.top, TRUE);
    RECT notes = {0, 0, 0, 0};
    if (place(IDC_INFO_NOTES, notes)) {
        const long bottom = client.bottom - margin;
        ::MoveWindow(GetDlgItem(IDC_INFO_NOTES), notes.left, notes.top, boxRight - notes.left,
                     bottom > notes.top ? bottom - notes.top : 0, TRUE);
    }
    RECT box = {0, 0, 0, 0};
    place(IDC_INFO_NOTES, box);
    for (int id : {IDC_INFO_COMMENT_ADD, IDC_INFO_NOTES_ADD}) {
        RECT r = {0, 0, 0, 0};
        if (place(id, r))
            ::MoveWindow(GetDlgItem(id), r.left, r.top, box.right - box.left, r.bottom - r.top, TRUE);
    }
}
