#include "dialogs/DlgImport.h"

#include "appsvc/OXRApp.h"
#include "dialogs/DelimitedImport.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"
#include "foundation/TextDecode.h"
#include "resources/SourceData.h"

namespace {

DlgClassPlacement s_placement;

// An edit takes longer with every line it holds: of a longer text the source
// box shows the beginning, and the text is read from the dialog's own copy.
constexpr size_t kShownMax = 65535;

// The text's beginning within kShownMax characters, ending after its last
// whole line there.
std::string Beginning(const std::string& text)
{
    if (text.size() <= kShownMax)
        return text;
    const size_t lineEnd = text.rfind("\r\n", kShownMax - 2);
    return text.substr(0, lineEnd == std::string::npos ? kShownMax : lineEnd + 2);
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

DlgDelimited::Shell DlgImport::DescribeShell() const
{
    return {"Import",
            "Source data separator",
            kSourceCaption,
            kFormatCaption,
            kOutputCaption,
            {{kOpenFile, "open", "File", "Load from the file"},
             {kClipboard, "clipboard", "Clipboard", "Load from clipboard"}},
            "Accept imported data and Exit",
            "Do not import data"};
}

void DlgImport::OpenContent()
{
    SetFont(kNote, "note");
    SetItemText(kNote, LocaleLineBreaks(Text("note.edit", "")));
    SetFont(kCompact, "buttNorm");
    SetItemText(kCompact, Text("compact", "Compact numbers"));
    SetHint(kCompact, Hint("compact", "Remove spaces from digital fields"));

    ShowSource();
    FillControls();
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
    if (!m_shownInPart)
        m_source = WholeText(kText);
    DProps options = m_params;
    DData::Import(options, m_table, m_source, true);
    ShowRecords();
}

std::string DlgImport::RefusalOfText() const
{
    const std::string separator = DProps::GetString(m_params, "field.separator", "");
    const std::string recordSeparator = DProps::GetString(m_params, "record.separator", "\r\n");
    std::string lineText;
    const long line = FirstUnsplitLine(m_source, separator, recordSeparator, DData::FormatKeys(m_params).size(),
                                       &lineText);
    return line > 0 ? UnsplitLineMessage(line, lineText, separator) : std::string();
}

// Rows half read from lines that lack the separator are refused whole, and
// the user is told which line, so that the separator or the text can be
// mended in place.
void DlgImport::OnOK()
{
    // The records are those of the last parse, which every change of the
    // text, the separator or the format made.
    const std::string refusal = RefusalOfText();
    if (!refusal.empty()) {
        App().ShowMessage(m_hWnd, nullptr, refusal.c_str(), MB_OK | MB_ICONWARNING, IDOK);
        return;
    }
    DlgDelimited::OnOK();
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
        if (!m_settingText) {
            // A text put into the box becomes the source, whole.
            if (m_shownInPart) {
                m_shownInPart = false;
                ::SendDlgItemMessageA(m_hWnd, kText, EM_SETREADONLY, FALSE, 0);
            }
            RefreshFormatList();
        }
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
    std::string text;
    const TextDecodeResult read = ReadTextFile(path.c_str(), text);
    if (!read.Ok() && read.error != TextDecodeError::Unreadable) {
        App().ShowMessage(m_hWnd, nullptr, (path + "\r\n" + TextDecodeMessage(read)).c_str(),
                          MB_OK | MB_ICONWARNING, IDOK);
        return;
    }
    if (text.empty())
        return;
    const std::string extension = ExtensionOf(path);
    TakeText(text, extension == "csv" ? "," : extension == "tab" ? "\t" : "");
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
    m_source = text;
    ShowSource();
    const std::string found = separator.empty() ? DetectSeparator(text) : separator;
    if (!found.empty()) {
        m_params.Set("field.separator", found.substr(0, 1).c_str());
        FillControls();
    } else {
        RefreshFormatList();
    }
    UpdateButtons();
}

void DlgImport::ShowSource()
{
    // Only what the box shows could be edited there: a text shown in part
    // is read-only, so that nothing of it is lost by typing.
    m_shownInPart = m_source.size() > kShownMax;
    ::SendDlgItemMessageA(m_hWnd, kText, EM_SETREADONLY, m_shownInPart ? TRUE : FALSE, 0);
    m_settingText = true;
    ::SetWindowTextA(GetDlgItem(kText), Beginning(m_source).c_str());
    m_settingText = false;
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

void DlgImport::LayoutAbove(long top, long m, const RECT& client)
{
    const RECT file = ChildRect(GetDlgItem(kOpenFile));
    const long buttonsLeft = client.right - m - (file.right - file.left);
    for (int id : {static_cast<int>(kOpenFile), static_cast<int>(kClipboard)}) {
        const RECT r = ChildRect(GetDlgItem(id));
        ::MoveWindow(GetDlgItem(id), buttonsLeft, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    HWND source = GetDlgItem(kText);
    const RECT s = ChildRect(source);
    ::MoveWindow(source, m, s.top, buttonsLeft - m / 2 - m, s.bottom - s.top, TRUE);
    StretchList(top - m / 2);
}
