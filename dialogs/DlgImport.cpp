#include "dialogs/DlgImport.h"

#include "appsvc/OXRApp.h"
#include "controls/ICStatic.h"
#include "dialogs/DelimitedImport.h"
#include "foundation/DAuto.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"
#include "resources/SourceData.h"

namespace {

DlgClassPlacement s_placement;

RECT RectOf(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    if (window)
        WinGetRectInParent(window, &rect);
    return rect;
}

std::string ExtensionOf(const std::string& path)
{
    char extension[Helper::PathBufferSize] = "";
    if (!Helper::SplitPath(path.c_str(), nullptr, nullptr, extension))
        return std::string();
    return extension;
}

} // namespace

DlgImport::DlgImport(CWnd* parent) : DlgDelimited(IDD_IMPORT, parent, "dialog.import", IDI_IMPORT, s_placement) {}

bool DlgImport::Setup(const DProps& descriptor, const std::string& startText)
{
    m_source = startText;
    TakeDescriptor(descriptor);
    m_format.ReplaceForeignKeys();
    m_separators = ImportSeparators();
    if (!m_source.empty())
        DData::Import(m_params, m_table, m_source, true);
    return true;
}

std::string DlgImport::DetectSeparator(const std::string& text) const
{
    return DetectSeparatorOrLineBreak(text, m_separators, DProps::GetString(m_params, "record.separator", "\r\n"));
}

BOOL DlgImport::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    OpenShared("Import", "Source data separator");
    const struct {
        int id;
        const char* key;
    } captions[] = {{kSourceCaption, "source"}, {kFormatCaption, "format"}, {kOutputCaption, "output"}};
    for (const auto& caption : captions) {
        SetFont(caption.id, "font.2b");
        if (HWND window = GetDlgItem(caption.id)) {
            auto* label = new ICStatic(window, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
            label->SetText(Text(caption.key, "").c_str());
            Own(label);
        }
    }
    SetFont(kNote, "note");
    SetItemText(kNote, LocaleLineBreaks(Text("note.edit", "")));
    const struct {
        int id;
        const char* key;
        const char* def;
        const char* hint;
    } buttons[] = {
        {kOpenFile, "open", "File", "Load from the file"},
        {kClipboard, "clipboard", "Clipboard", "Load from clipboard"},
    };
    for (const auto& b : buttons) {
        SetFont(b.id, "buttNorm");
        WrapButton(b.id, Text(b.key, b.def), Hint(b.key, b.hint));
    }
    SetFont(kCompact, "buttNorm");
    SetItemText(kCompact, Text("compact", "Compact numbers"));
    SetHint(kCompact, Hint("compact", "Remove spaces from digital fields"));
    SetFont(IDOK, "buttNorm");
    SetFont(IDCANCEL, "buttNorm");
    SetItemText(IDOK, Text("ok", "OK"));
    SetHint(IDOK, Hint("ok", "Accept imported data and Exit"));
    SetItemText(IDCANCEL, Text("cancel", "Close"));
    SetHint(IDCANCEL, Hint("cancel", "Do not import data"));

    m_settingText = true;
    ::SetWindowTextA(GetDlgItem(kText), m_source.c_str());
    m_settingText = false;
    FillControls();
    UpdateButtons();
    LayoutControls();
    return TRUE;
}

void DlgImport::FillControls()
{
    ShowRecords();
    FillFormatList();
    FillSeparators();
    ::SendDlgItemMessageA(m_hWnd, kCompact, BM_SETCHECK,
                          DProps::GetLong(m_params, "compact") == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    Reparse();
}

void DlgImport::Reparse()
{
    StoreChoices();
    // The whole text is read: a line cut at an edit's limit would import a
    // wrong length.
    m_source = WholeText(kText);
    DProps options = m_params;
    DData::Import(options, m_table, m_source, true);
    ShowRecords();
}

void DlgImport::UpdateButtons()
{
    UpdateFormatButtons();
    const bool hasText = ::GetWindowTextLengthA(GetDlgItem(kText)) > 0 || !m_source.empty();
    HWND ok = GetDlgItem(IDOK);
    if (ok && (::IsWindowEnabled(ok) != FALSE) != hasText)
        WinEnable(hasText, ok);
}

BOOL DlgImport::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == kText && code == EN_CHANGE) {
        if (!m_settingText)
            RefreshFormatList();
        return TRUE;
    }
    if (code == BN_CLICKED) {
        switch (id) {
        case kOpenFile:
            LoadFile();
            return TRUE;
        case kClipboard:
            LoadClipboard();
            return TRUE;
        case kCompact: {
            const bool checked = ::SendDlgItemMessageA(m_hWnd, kCompact, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (checked != (DProps::GetLong(m_params, "compact") == 1)) {
                m_params.Set("compact", checked ? "1" : "0");
                Reparse();
                UpdateButtons();
            }
            return TRUE;
        }
        default:
            break;
        }
    }
    return DlgDelimited::OnCommand(wParam, lParam);
}

void DlgImport::LoadFile()
{
    const std::string path = ChooseFile(false, "", nullptr);
    if (path.empty())
        return;
    DAuto<char> bytes(Helper::ReadWholeFile(path.c_str()));
    if (!bytes.Get())
        return;
    const std::string extension = ExtensionOf(path);
    TakeText(bytes.Get(), extension == "csv" ? "," : extension == "tab" ? "\t" : "");
}

void DlgImport::LoadClipboard()
{
    std::string text;
    Helper::GetClipboardText(text);
    std::string trimmed = text;
    if (StrTrim(trimmed).empty())
        return;
    TakeText(text, "");
}

void DlgImport::TakeText(std::string text, const std::string& separator)
{
    // An edit shows lines only between CR LF; a file written with bare line
    // feeds reads line by line as well.
    TextToCrLf(text);
    m_settingText = true;
    ::SetWindowTextA(GetDlgItem(kText), text.c_str());
    m_settingText = false;
    m_source = text;
    const std::string found = separator.empty() ? DetectSeparator(text) : separator;
    if (!found.empty()) {
        m_params.Set("field.separator", found.substr(0, 1).c_str());
        FillControls();
    } else {
        RefreshFormatList();
    }
    UpdateButtons();
}

LRESULT DlgImport::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT answer = DlgDelimited::WindowProc(message, wParam, lParam);
    if (message == WM_WINDOWPOSCHANGED && ::IsWindowVisible(m_hWnd) && !::IsIconic(m_hWnd) && !::IsZoomed(m_hWnd)) {
        const WINDOWPOS* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (position && !(position->flags & SWP_NOMOVE)) {
            ::GetWindowRect(m_hWnd, &s_placement.placement.rectangle);
            if (s_placement.placement.state < 0)
                s_placement.placement.state = Placement::Normal;
        }
    }
    return answer;
}

void DlgImport::LayoutControls()
{
    HWND list = GetDlgItem(kList);
    if (!list)
        return;
    const long m = GetMargin();
    const long h = m / 2;
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);

    const RECT cancel = RectOf(GetDlgItem(IDCANCEL));
    const long bw = cancel.right - cancel.left;
    const long bh = cancel.bottom - cancel.top;
    const long top = client.bottom - m - bh;
    ::MoveWindow(GetDlgItem(IDCANCEL), client.right - m - bw, top, bw, bh, TRUE);
    const RECT ok = RectOf(GetDlgItem(IDOK));
    ::MoveWindow(GetDlgItem(IDOK), client.right - m - bw - h - (ok.right - ok.left), top, ok.right - ok.left, bh, TRUE);

    const RECT file = RectOf(GetDlgItem(kOpenFile));
    const long fileWidth = file.right - file.left;
    const long buttonsLeft = client.right - m - fileWidth;
    for (int id : {static_cast<int>(kOpenFile), static_cast<int>(kClipboard)}) {
        const RECT r = RectOf(GetDlgItem(id));
        ::MoveWindow(GetDlgItem(id), buttonsLeft, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    HWND source = GetDlgItem(kText);
    const RECT s = RectOf(source);
    ::MoveWindow(source, m, s.top, buttonsLeft - h - m, s.bottom - s.top, TRUE);

    const RECT l = RectOf(list);
    ::MoveWindow(list, m, l.top, client.right - 2 * m, top - h - l.top, TRUE);
    if (!m_widths.empty())
        FitLastColumn(list, m_widths);
}
