#include "reports/Printers.h"

#include <winspool.h>
#include <commdlg.h>
// GDI+ needs the COM declarations that the lean windows.h leaves out.
#include <objidl.h>
#include <propidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "appsvc/AppSettingsKeys.h"
#include "appsvc/OXRApp.h"
#include "foundation/DThread.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"
#include "reports/PrinterGuard.h"

namespace {

// The module's lists and the lock that keeps two enumerations (the printer
// thread's and one from the settings dialog) from filling them at once. They
// are never destroyed: a printer thread left hung at shutdown may still hold
// the lock or touch the lists while the process ends.
struct PrinterModule {
    DLock lock;
    std::vector<PrinterInfo> records;
    UStringList names;
};

PrinterModule& Module()
{
    static PrinterModule* module = new PrinterModule();
    return *module;
}

PrinterQuery g_query = {&QueryPrinterInfo, 20000};

// The guards of the printer queries lie beside the settings they protect.
UString GuardFolder()
{
    UString folder;
    PathSplit(App().Settings().GetPath().GetText(), &folder, nullptr, nullptr);
    return folder;
}

std::string TextFromWide(const wchar_t* wide)
{
    std::string text;
    if (wide) {
        if (char* ansi = WideToText(nullptr, 0, wide)) {
            text = ansi;
            free(ansi);
        }
    }
    return text;
}

std::wstring WideFromText(const char* text)
{
    std::wstring wide;
    if (text) {
        if (wchar_t* w = TextToWide(nullptr, text, 0)) {
            wide = w;
            free(w);
        }
    }
    return wide;
}

// One printer's query on a thread of its own. The state is shared between
// the enumeration and the query thread, so that a query given up on writes
// into its own copy, never into a record that is gone.
struct QueryState {
    PrinterInfo record;
    DWORD (*query)(PrinterInfo&) = nullptr;
};

DWORD WINAPI QueryThread(LPVOID parameter)
{
    std::unique_ptr<std::shared_ptr<QueryState>> state(static_cast<std::shared_ptr<QueryState>*>(parameter));
    try {
        return (*state)->query((*state)->record);
    } catch (...) {
        return 0;
    }
}

// Waits for a query thread within the bound, serving window messages
// meanwhile, so the settings dialog's window stays alive while it refreshes
// the list. Once the program asks the printer thread to stop, the query gets
// a short while more to answer, well within the program's own wait for the
// thread.
bool WaitForQuery(HANDLE thread, DThread* stopper)
{
    const DWORD kAfterStopMs = 2000;
    const DWORD start = GetTickCount();
    DWORD limit = g_query.boundMs;
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= limit)
            return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        const DWORD slice = stopper ? std::min<DWORD>(limit - spent, 100) : limit - spent;
        if (DThread::WaitForEnd(thread, slice))
            return true;
        if (stopper && stopper->IsCancelled())
            limit = std::min(limit, GetTickCount() - start + kAfterStopMs);
    }
}

void ShowStatus(HWND status, const char* text)
{
    if (!status)
        return;
    SetWindowTextA(status, text);
    UpdateWindow(status);
}

// The paper or bin names of a driver with their numbers: count entries of
// width characters each beside count WORD numbers.
void ReadCapabilityNames(const std::wstring& name, const std::wstring& port, WORD namesCap, WORD numbersCap,
                         size_t width, UPairList& out)
{
    const int count = DeviceCapabilitiesW(name.c_str(), port.c_str(), namesCap, nullptr, nullptr);
    if (count <= 0)
        return;
    std::vector<wchar_t> names(static_cast<size_t>(count) * width + 1, L'\0');
    if (DeviceCapabilitiesW(name.c_str(), port.c_str(), namesCap, names.data(), nullptr) <= 0)
        return;
    std::vector<WORD> numbers(static_cast<size_t>(count), 0);
    const int numbered = DeviceCapabilitiesW(name.c_str(), port.c_str(), numbersCap,
                                             reinterpret_cast<wchar_t*>(numbers.data()), nullptr);
    for (int i = 0; i < count; ++i) {
        // Each name is a fixed field, terminated only when shorter.
        std::wstring field(&names[static_cast<size_t>(i) * width], width);
        field.resize(wcsnlen(field.c_str(), width));
        const std::string text = TextFromWide(field.c_str());
        if (text.empty())
            continue;
        UString number(static_cast<long>(i < numbered ? numbers[static_cast<size_t>(i)] : 0));
        out.Set(number.GetText(), text.c_str(), false);
    }
}

// The paper and the bin stay the driver's choice for the new orientation.
// DEVMODEA or DEVMODEW.
template <class DeviceMode>
void SetOrientation(DeviceMode* mode, bool portrait)
{
    mode->dmOrientation = portrait ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    mode->dmFields |= DM_ORIENTATION;
    mode->dmFields &= ~static_cast<DWORD>(DM_PAPERSIZE | DM_DEFAULTSOURCE);
}

} // namespace

// ---- Enumeration ---------------------------------------------------------------------------

void StoreExcludedPrinters(const UStringList& excluded)
{
    // Quoted, so that a name holding a comma reads back whole.
    SetSetting(App().Settings(), kSetExcluded, UStringList::Join(&excluded, true, ", ").GetText(), true);
}

namespace {

// "Connecting with <name> (<server>)..." in the status window, if any.
void ShowConnecting(HWND status, const UString& name, const UString& server)
{
    if (!status)
        return;
    UString text;
    text.Format("Connecting with %s", name.GetText());
    if (server.HasText(true)) {
        text += " (";
        text += server.GetText();
        text += ")";
    }
    text += "...";
    ShowStatus(status, text.GetText());
}

// True, logged and shown, for a printer the user or an earlier start has
// excluded.
bool SkipExcluded(HWND status, const UString& name, const UStringList& excluded)
{
    {
        DAutoLock guard(App().GetPrinterLock());
        if (UStringList::Find(name.GetText(), &excluded, false) < 0)
            return false;
    }
    UString line = "Printer excluded: ";
    line += name.GetText();
    App().Log().Write(line.GetText(), nullptr, "");
    ShowStatus(status, line.GetText());
    return true;
}

// Asks the driver on a thread of its own, so that one that hangs holds up
// nobody; false when it did not answer in time or a stop came first.
bool QueryPrinter(const std::shared_ptr<QueryState>& state, DThread* stopper)
{
    auto* handed = new std::shared_ptr<QueryState>(state);
    HANDLE thread = CreateThread(nullptr, 0, &QueryThread, handed, 0, nullptr);
    if (!thread) {
        delete handed;
        return false;
    }
    const bool answered = WaitForQuery(thread, stopper);
    CloseHandle(thread);
    return answered;
}

// Given up on: the query thread is left to itself and the printer is
// excluded from then on.
void ExcludeUnanswered(const UString& name, UStringList& excluded)
{
    App().Log().Write("Cannot get info for printer: ", name.GetText(), "ERR >> ");
    DAutoLock guard(App().GetPrinterLock());
    if (UStringList::Find(name.GetText(), &excluded, false) < 0) {
        excluded.push_back(name);
        StoreExcludedPrinters(excluded);
    }
}

} // namespace

long EnumeratePrinters(HWND status, UStringList& excluded, DThread* stopper)
{
    if (status && !IsWindow(status))
        status = nullptr;
    PrinterModule& module = Module();
    DAutoLock enumerating(&module.lock);
    module.records.clear();
    module.names.clear();

    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0)
        return 0;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count))
        return 0;
    const auto* entries = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());

    OXRApp& app = App();
    Locker* printerLock = app.GetPrinterLock();
    const UString guards = GuardFolder();
    {
        DAutoLock guard(printerLock);
        if (PrinterQueryGuard::Review(guards.GetText(), excluded))
            StoreExcludedPrinters(excluded);
    }
    long recorded = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (stopper && stopper->IsCancelled())
            break;
        auto state = std::make_shared<QueryState>();
        state->query = g_query.query;
        state->record.name = TextFromWide(entries[i].pPrinterName).c_str();
        const UString name = state->record.name;
        const UString server = TextFromWide(entries[i].pServerName).c_str();

        module.names.push_back(name);
        {
            UString line;
            line.Format("Enumerating printers: %s", name.GetText());
            app.Log().Write(line.GetText());
        }
        ShowConnecting(status, name, server);
        if (SkipExcluded(status, name, excluded))
            continue;

        // Before the driver is asked anything: should it bring the process
        // down, the next start finds the guard and skips the printer.
        PrinterQueryGuard queryGuard(guards.GetText(), name);
        if (!QueryPrinter(state, stopper)) {
            // A stop asked meanwhile means the program is ending: the
            // application may already be going, so nothing of it is touched,
            // and the query did not bring the program down.
            if (stopper && stopper->IsCancelled())
                break;
            ExcludeUnanswered(name, excluded);
            continue;
        }
        queryGuard.Answered();
        ++recorded;
        module.records.push_back(state->record);
    }
    return recorded;
}

const std::vector<PrinterInfo>& EnumeratedPrinters()
{
    return Module().records;
}

const UStringList& EnumeratedPrinterNames()
{
    return Module().names;
}

Locker* PrinterEnumerationLock()
{
    return &Module().lock;
}

DWORD QueryPrinterInfo(PrinterInfo& record)
{
    std::wstring name = WideFromText(record.name.GetText());
    HANDLE printer = nullptr;
    if (!OpenPrinterW(&name[0], &printer, nullptr) || !printer)
        return 0;

    const std::wstring server = WideFromText(record.server.GetText());
    DWORD needed = 0, count = 0;
    wchar_t* serverName = server.empty() ? nullptr : const_cast<wchar_t*>(server.c_str());
    EnumPrintersW(PRINTER_ENUM_NAME, serverName, 2, nullptr, 0, &needed, &count);
    if (needed > 0) {
        std::vector<BYTE> buffer(needed);
        if (EnumPrintersW(PRINTER_ENUM_NAME, serverName, 2, buffer.data(), needed, &needed, &count)) {
            const auto* entries = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) {
                if (entries[i].pPrinterName && lstrcmpiW(entries[i].pPrinterName, name.c_str()) == 0) {
                    record.port = TextFromWide(entries[i].pPortName).c_str();
                    break;
                }
            }
        }
    }

    if (record.port.HasText(true)) {
        const std::wstring port = WideFromText(record.port.GetText());
        DocumentPropertiesW(nullptr, printer, &name[0], nullptr, nullptr, 0);
        ReadCapabilityNames(name, port, DC_BINNAMES, DC_BINS, 24, record.binNames);
        ReadCapabilityNames(name, port, DC_PAPERNAMES, DC_PAPERS, 64, record.paperNames);
    }
    ClosePrinter(printer);
    return 1;
}

PrinterQuery GetPrinterQuery()
{
    return g_query;
}

void SetPrinterQuery(const PrinterQuery& query)
{
    g_query = query;
}

// ---- Printer device context ------------------------------------------------------------------

PrinterDC::~PrinterDC()
{
    Close();
}

void PrinterDC::Release()
{
    if (m_dc) {
        DeleteDC(m_dc);
        m_dc = nullptr;
    }
    if (m_printer) {
        ClosePrinter(m_printer);
        m_printer = nullptr;
    }
    if (m_devMode) {
        GlobalFree(m_devMode);
        m_devMode = nullptr;
    }
}

void PrinterDC::Close()
{
    Release();
    m_name = "";
}

bool PrinterDC::Open(const char* name, bool portrait)
{
    Release();
    if (name)
        m_name = name;

    if (!m_name.IsEmpty()) {
        if (!OpenPrinterA(const_cast<char*>(m_name.GetText()), &m_printer, nullptr) || !m_printer) {
            m_printer = nullptr;
            return false;
        }
        m_dc = CreateDCA("WINSPOOL", m_name.GetText(), nullptr, nullptr);
        const LONG size = DocumentPropertiesA(nullptr, m_printer, const_cast<char*>(m_name.GetText()), nullptr,
                                              nullptr, 0);
        if (m_dc && size > 0) {
            m_devMode = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(size));
            auto* mode = static_cast<DEVMODEA*>(m_devMode);
            if (mode && DocumentPropertiesA(nullptr, m_printer, const_cast<char*>(m_name.GetText()), mode, nullptr,
                                            DM_OUT_BUFFER) == IDOK) {
                SetOrientation(mode, portrait);
                ResetDCA(m_dc, mode);
            }
        }
    } else {
        PRINTDLGW dialog = {};
        dialog.lStructSize = sizeof dialog;
        // The report window is modal: the dialog belongs to the window in front.
        dialog.hwndOwner = GetActiveWindow();
        dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE |
                       PD_USEDEVMODECOPIESANDCOLLATE;
        if (PrintDlgW(&dialog) && dialog.hDC) {
            m_dc = dialog.hDC;
            m_devMode = dialog.hDevMode;
            dialog.hDevMode = nullptr;
            if (auto* mode = static_cast<DEVMODEW*>(m_devMode ? GlobalLock(m_devMode) : nullptr)) {
                SetOrientation(mode, portrait);
                ResetDCW(m_dc, mode);
                GlobalUnlock(m_devMode);
            }
        } else if (dialog.hDC) {
            DeleteDC(dialog.hDC);
        }
        if (dialog.hDevMode)
            GlobalFree(dialog.hDevMode);
        if (dialog.hDevNames)
            GlobalFree(dialog.hDevNames);
    }

    if (!m_dc) {
        Release();
        return false;
    }
    // The report maps a page onto the printable area keeping its
    // proportions; its y axis runs downward like the page bitmaps'.
    SetMapMode(m_dc, MM_ISOTROPIC);
    SIZE viewport = {};
    GetViewportExtEx(m_dc, &viewport);
    SetViewportExtEx(m_dc, viewport.cx, viewport.cy < 0 ? -viewport.cy : viewport.cy, nullptr);
    return true;
}

// ---- Image files -----------------------------------------------------------------------------

int FindImageEncoder(const wchar_t* mimeType, CLSID* encoder)
{
    UINT count = 0, size = 0;
    if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || count == 0 || size == 0)
        return -1;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::DllExports::GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return -1;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && mimeType && wcscmp(codecs[i].MimeType, mimeType) == 0) {
            if (encoder)
                *encoder = codecs[i].Clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}

namespace {

// The image encoded by the encoder into memory and written as the whole
// destination file through the one writer every saved file goes through: a
// path the program cannot hold and a read-only target are refused, the
// leftovers of killed saves of the target are removed, and the target is
// replaced only by a complete file.
bool SaveImageAsFile(Gdiplus::GpImage* image, const CLSID& encoder, const Gdiplus::EncoderParameters* parameters,
                     const char* destination)
{
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || !stream) {
        SetLastError(ERROR_SUCCESS);
        return false;
    }
    bool saved = false;
    DWORD error = ERROR_SUCCESS;
    STATSTG status = {};
    HGLOBAL memory = nullptr;
    if (Gdiplus::DllExports::GdipSaveImageToStream(image, stream, &encoder, parameters) == Gdiplus::Ok &&
        SUCCEEDED(stream->Stat(&status, STATFLAG_NONAME)) && status.cbSize.QuadPart > 0 &&
        status.cbSize.QuadPart <= 0x7FFFFFFF && SUCCEEDED(GetHGlobalFromStream(stream, &memory))) {
        if (const void* bytes = GlobalLock(memory)) {
            const long length = static_cast<long>(status.cbSize.QuadPart);
            saved = Helper::WriteBuffer(destination, length, bytes, false) == length;
            if (!saved)
                error = GetLastError();
            GlobalUnlock(memory);
        }
    }
    stream->Release();
    SetLastError(error);
    return saved;
}

} // namespace

bool ConvertImageFile(const char* format, const char* source, const char* destination, const UPairList* options)
{
    static const char* const formats[] = {"bmp", "jpeg", "gif", "tiff", "png"};
    const char* known = nullptr;
    for (const char* f : formats) {
        if (format && lstrcmpiA(format, f) == 0)
            known = f;
    }
    if (!known || !source || !destination) {
        SetLastError(ERROR_SUCCESS);
        return false;
    }
    const std::wstring mime = L"image/" + WideFromText(known);

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        SetLastError(ERROR_SUCCESS);
        return false;
    }
    bool saved = false;
    // Only the write's own error is handed on: what failed before it was no
    // fault of the target.
    DWORD error = ERROR_SUCCESS;
    Gdiplus::GpImage* image = nullptr;
    CLSID encoder = {};
    if (Gdiplus::DllExports::GdipLoadImageFromFile(WideFromText(source).c_str(), &image) == Gdiplus::Ok &&
        image && FindImageEncoder(mime.c_str(), &encoder) >= 0) {
        UString quality;
        if (options && strcmp(known, "jpeg") == 0)
            quality = options->Get("quality");
        if (!quality.IsEmpty()) {
            // The encoder's quality parameter: 1d5be4b5-fa4a-452d-9cdd-5db35105e7eb.
            static const GUID kEncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d,
                                                 {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};
            ULONG value = static_cast<ULONG>(atol(quality.GetText()));
            Gdiplus::EncoderParameters parameters = {};
            parameters.Count = 1;
            parameters.Parameter[0].Guid = kEncoderQuality;
            parameters.Parameter[0].NumberOfValues = 1;
            parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
            parameters.Parameter[0].Value = &value;
            saved = SaveImageAsFile(image, encoder, &parameters, destination);
        } else {
            saved = SaveImageAsFile(image, encoder, nullptr, destination);
        }
        error = saved ? ERROR_SUCCESS : GetLastError();
    }
    if (image)
        Gdiplus::DllExports::GdipDisposeImage(image);
    Gdiplus::GdiplusShutdown(token);
    SetLastError(error);
    return saved;
}
