#include "dialogs/DlgExport.h"

#include "appsvc/OXRApp.h"
#include "controls/ICStatic.h"
#include "dialogs/DelimitedImport.h"
#include "dialogs/DlgOpenFile.h"
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

} // namespace

DlgExport::DlgExport(CWnd* parent) : DlgDelimited(IDD_EXPORT, parent, "dialog.export", IDI_EXPORT, s_placement) {}

bool DlgExport::Setup(const DProps& descriptor, const PropsList& records)
{
    if (records.empty())
        return false;
    TakeDescriptor(descriptor);
    m_table.SetRecords(records);
    m_separators = ExportSeparators();
    m_params.Set("original.field.separator", DProps::GetString(m_params, "field.separator", "").c_str());
    m_params.Set("original.format", DProps::GetString(m_params, "format", "").c_str());
    return true;
}

BOOL DlgExport::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    OpenShared("Export", "Data separator");
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
    const struct {
        int id;
        const char* key;
        const char* def;
        const char* hint;
    } buttons[] = {
        {kSaveFile, "save", "Save to File", "Save results to the file"},
        {kClipboard, "clipboard", "Copy to Clipboard", "Copy results to the clipboard"},
    };
    for (const auto& b : buttons) {
        SetFont(b.id, "buttNorm");
        WrapButton(b.id, Text(b.key, b.def), Hint(b.key, b.hint));
    }
    SetFont(IDOK, "buttNorm");
    SetFont(IDCANCEL, "buttNorm");
    SetItemText(IDOK, Text("ok", "OK"));
    SetHint(IDOK, Hint("ok", "Save formatting and Exit"));
    SetItemText(IDCANCEL, Text("cancel", "Close"));
    SetHint(IDCANCEL, Hint("cancel", "Do not save formatting"));

    ShowRecords();
    FillFormatList();
    FillSeparators();
    Reparse();
    UpdateButtons();
    LayoutControls();
    return TRUE;
}

void DlgExport::Reparse()
{
    StoreChoices();
    DProps options = m_params;
    // The user's own edits of the text are replaced: the text always follows
    // the formatting.
    ::SetWindowTextA(GetDlgItem(kText), DData::Export(options, m_table).c_str());
}

void DlgExport::UpdateButtons()
{
    UpdateFormatButtons();
    const bool hasText = ::GetWindowTextLengthA(GetDlgItem(kText)) > 0;
    const bool changed =
        DProps::GetString(m_params, "field.separator", "") != DProps::GetString(m_params, "original.field.separator", "") ||
        DProps::GetString(m_params, "format", "") != DProps::GetString(m_params, "original.format", "");
    const struct {
        int id;
        bool enabled;
    } states[] = {{kSaveFile, hasText}, {kClipboard, hasText}, {IDOK, changed}};
    for (const auto& state : states) {
        HWND button = GetDlgItem(state.id);
        if (button && (::IsWindowEnabled(button) != FALSE) != state.enabled)
            WinEnable(state.enabled, button);
    }
}

BOOL DlgExport::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case kSaveFile:
            SaveToFile();
            return TRUE;
        case kClipboard:
            CopyToClipboard();
            return TRUE;
        default:
            break;
        }
    }
    if (LOWORD(wParam) == kText && HIWORD(wParam) == EN_CHANGE) {
        UpdateButtons();
        return TRUE;
    }
    return DlgDelimited::OnCommand(wParam, lParam);
}

void DlgExport::SaveToFile()
{
    const std::string text = GetOutput();
    if (text.empty())
        return;
    const std::string path = ChooseFile(true, DProps::GetString(m_params, "file", "cutting.txt").c_str(), nullptr);
    if (path.empty())
        return;
    // The file is written beside the old one and put in its place only when
    // every byte is down, so a failure leaves an existing file as it was.
    const long written = Helper::WriteBuffer(path.c_str(), static_cast<long>(text.size()), text.data(), false);
    if (written != static_cast<long>(text.size())) {
        ReportWriteFailure(path);
        return;
    }
    ShowFileSaved(path);
}

void DlgExport::ShowFileSaved(const std::string& path)
{
    DlgOpenFile box(this);
    DProps params;
    params.Set("file", path.c_str());
    params.Set("text", "1");
    if (box.SetParams(params))
        box.DoModal();
}

void DlgExport::CopyToClipboard()
{
    std::string text = GetOutput();
    StrTrim(text);
    if (!text.empty())
        Helper::SetClipboardText(text.c_str());
}

void DlgExport::LayoutControls()
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
    long x = m;
    for (int id : {static_cast<int>(kSaveFile), static_cast<int>(kClipboard)}) {
        const RECT r = RectOf(GetDlgItem(id));
        ::MoveWindow(GetDlgItem(id), x, top, r.right - r.left, bh, TRUE);
        x += r.right - r.left + h;
    }

    const RECT l = RectOf(list);
    ::MoveWindow(list, m, l.top, client.right - 2 * m, l.bottom - l.top, TRUE);
    if (!m_widths.empty())
        FitLastColumn(list, m_widths);
    HWND output = GetDlgItem(kText);
    const RECT o = RectOf(output);
    ::MoveWindow(output, m, o.top, client.right - 2 * m, top - h - o.top, TRUE);
}
