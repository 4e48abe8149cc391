// The test environment's print queue: a CUPS queue "PDF" whose jobs arrive as
// PDF files in BRAVIK_PDF_DIR (set by scripts/test). Print tests send a job
// through the Windows spooler and read its pages back with poppler's tools,
// which Wine starts like any other program.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

namespace PrintQueue {

inline std::vector<std::string> Printers()
{
    std::vector<std::string> names;
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0)
        return names;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer.data(), needed, &needed,
                       &count))
        return names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        names.push_back(info[i].pPrinterName ? info[i].pPrinterName : "");
    return names;
}

// The folder the PDF backend writes to, as Wine sees it (drive Z: is the
// Unix root); empty when the test environment did not say.
inline std::string Folder()
{
    char unix[1024] = {};
    DWORD n = GetEnvironmentVariableA("BRAVIK_PDF_DIR", unix, sizeof unix);
    if (n == 0 || n >= sizeof unix)
        return std::string();
    std::string path = std::string("Z:") + unix;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// The newest PDF in the folder whose name holds the token, waiting for the
// backend up to timeoutMs; empty when none came.
inline std::string WaitForPdf(const std::string& token, DWORD timeoutMs = 60000)
{
    const std::string folder = Folder();
    if (folder.empty())
        return std::string();
    const DWORD start = GetTickCount();
    do {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*" + token + "*.pdf").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            std::string best;
            FILETIME bestTime = {};
            do {
                if (best.empty() || CompareFileTime(&found.ftLastWriteTime, &bestTime) > 0) {
                    best = found.cFileName;
                    bestTime = found.ftLastWriteTime;
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
            // The backend writes the file in place: wait until its size holds.
            const std::string path = folder + "\\" + best;
            LARGE_INTEGER a = {}, b = {};
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
                a.LowPart = data.nFileSizeLow;
                a.HighPart = static_cast<LONG>(data.nFileSizeHigh);
                Sleep(300);
                if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
                    b.LowPart = data.nFileSizeLow;
                    b.HighPart = static_cast<LONG>(data.nFileSizeHigh);
                    if (a.QuadPart > 0 && a.QuadPart == b.QuadPart)
                        return path;
                }
            }
        }
        Sleep(200);
    } while (GetTickCount() - start < timeoutMs);
    return std::string();
}

// Runs one of poppler's Unix programs on the file (a path on drive Z:, which
// is the Unix root) and gives what it wrote beside it. Wine starts a Unix
// program without a process to wait on, so the output is written under a
// temporary name and renamed when complete; we wait for the final name.
inline std::string Poppler(const char* tool, const std::string& pdf, const char* arguments = "")
{
    const std::string out = pdf + ".txt";
    auto unixPath = [](std::string path) {
        path = path.substr(2);
        for (char& c : path)
            if (c == '\\')
                c = '/';
        return path;
    };
    DeleteFileA(out.c_str());
    const std::string target = unixPath(out);
    std::string command = "Z:\\bin\\sh -c \"/usr/bin/" + std::string(tool) + " " + arguments + " '" +
                          unixPath(pdf) + "' '" + target + ".part' && mv '" + target + ".part' '" + target + "'\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string text;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return text;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    HANDLE file = INVALID_HANDLE_VALUE;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(50)) {
        file = CreateFileA(out.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            break;
    }
    if (file != INVALID_HANDLE_VALUE) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
            text.append(chunk, got);
        CloseHandle(file);
    }
    DeleteFileA(out.c_str());
    return text;
}

// The text of every page, pages separated by form feeds.
inline std::string PdfText(const std::string& pdf)
{
    return Poppler("pdftotext", pdf, "-layout");
}

// The number of pages: pdftotext ends every page with a form feed.
inline int PdfPages(const std::string& pdf)
{
    const std::string text = PdfText(pdf);
    int pages = 0;
    for (char c : text)
        pages += c == '\f';
    return pages;
}

} // namespace PrintQueue
