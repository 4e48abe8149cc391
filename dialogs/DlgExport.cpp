#include "dialogs/DlgExport.h"

#include "appsvc/OXRApp.h"
#include "dialogs/DelimitedImport.h"
#include "dialogs/DlgOpenFile.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"
#include "resources/SourceData.h"

namespace {

DlgClassPlacement s_placement;

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

DlgDelimited::Shell DlgExport::DescribeShell() const
{
    return {"Export",
            "Data separator",
            kSourceCaption,
            kFormatCaption,
            kOutputCaption,
            {{kSaveFile, "save", "Save to File", "Save results to the file"},
             {kClipboard, "clipboard", "Copy to Clipboard", "Copy results to the clipboard"}},
            "Save formatting and Exit",
            "Do not save formatting"};
}

void DlgExport::OpenContent()
{
    ShowRecords();
    FillFormatList();
    FillSeparators();
    Reparse();
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

void DlgExport::LayoutAbove(long top, long m, const RECT& client)
{
    long x = m;
    for (int id : {static_cast<int>(kSaveFile), static_cast<int>(kClipboard)}) {
        const RECT r = ChildRect(GetDlgItem(id));
        ::MoveWindow(GetDlgItem(id), x, top, r.right - r.left, r.bottom - r.top, TRUE);
        x += r.right - r.left + m / 2;
    }
    StretchList(-1);
    HWND output = GetDlgItem(kText);
    const RECT o = ChildRect(output);
    ::MoveWindow(output, m, o.top, client.right - 2 * m, top - m / 2 - o.top, TRUE);
}
