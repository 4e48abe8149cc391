// Writing out the files the program carries (report layouts, the style sheets
// and head of HTML reports, the help pages) into the data folder's "DATA" and
// "HELP" at the first start, after a change of build and whenever either
// folder is missing.
#include "appsvc/OXRApp.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <exception>

#include "appsvc/AppSettingsKeys.h"
#include "foundation/DAuto.h"
#include "foundation/DZIP.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"

namespace {

// What the enumeration of the embedded files shares with its callback.
struct Installation {
    OXRApp* app = nullptr;
    int written = 0;
    bool failed = false;
};

// Four dotted numbers in one: field i shifted left by 24 - 8i bits and
// added, so a field above 255 carries into the one before it.
uint32_t PackVersion(const UString& text)
{
    uint32_t packed = 0;
    for (long i = 0; i < 4; ++i)
        packed += static_cast<uint32_t>(text.Token(i, ".").ToLong()) << (24 - 8 * i);
    return packed;
}

bool IsFolder(const UString& path) { return PathExistsA(path.GetText()) == 2; }

// One embedded file: written into "DATA"; the help archive is unpacked
// into "HELP" and removed again. FALSE ends the enumeration.
bool InstallOne(Installation& installation, const char* name)
{
    OXRApp& app = *installation.app;
    const UString data = app.MakeDataPath("DATA");
    if (!PathCreateDirectory(data.GetText())) {
        installation.failed = true;
        return true;
    }
    UMemory bytes;
    if (!app.LoadResourceData("INSTALL", name, bytes)) {
        installation.failed = true;
        return false;
    }
    UString file;
    PathJoin(file, data.GetText(), name);
    if (!FileWrite(file.GetText(), bytes.GetData(), bytes.GetUsed())) {
        installation.failed = true;
        return false;
    }
    ++installation.written;

    UString extension;
    PathSplit(file.GetText(), nullptr, nullptr, &extension);
    if (_stricmp(extension.GetText(), "zip") != 0)
        return true;
    const UString help = app.MakeDataPath("HELP");
    if (!PathCreateDirectory(help.GetText())) {
        installation.failed = true;
        return true;
    }
    DZIP archive(file.GetText());
    if (archive.Extract(help.GetText(), -1) <= 0)
        installation.failed = true;
    archive.Close();
    FileDelete(file.GetText(), true);
    return true;
}

} // namespace

BOOL CALLBACK InstallResourceProc(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param)
{
    (void)module;
    (void)type;
    Installation* installation = reinterpret_cast<Installation*>(param);
    if (!installation || !installation->app)
        return FALSE;
    // Only named files are installed: a number names no file.
    if (IS_INTRESOURCE(name))
        return TRUE;
    try {
        char* narrow = WideToText(nullptr, 0, name);
        if (!narrow) {
            installation->failed = true;
            return FALSE;
        }
        const bool goOn = InstallOne(*installation, narrow);
        free(narrow);
        return goOn ? TRUE : FALSE;
    } catch (const std::exception& e) {
        ULog::WriteText(&installation->app->Log(), e.what(), "ERR >> ");
    } catch (...) {
        ULog::WriteText(&installation->app->Log(), "installing the program's files", "ERR >> ");
    }
    installation->failed = true;
    return FALSE;
}

void OXRApp::InstallResources()
{
    UString stored = GetSetting(m_settings, kSetVersion);
    stored.Trim();
    const bool fresh = stored.IsEmpty();
    m_freshInstall = fresh ? 1 : 0;

    const UString build(kBuildVersion);
    bool reinstall = fresh;
    if (!fresh) {
        const uint32_t storedPacked = PackVersion(stored);
        const uint32_t buildPacked = PackVersion(build);
        reinstall = (buildPacked & ~0xFFu) > (storedPacked & ~0xFFu) ||
                    (buildPacked & 0xFFu) != (storedPacked & 0xFFu);
    }
    if (!reinstall && IsFolder(MakeDataPath("DATA")) && IsFolder(MakeDataPath("HELP"))) {
        SetSetting(m_settings, kSetVersion, kBuildVersion, false);
        return;
    }

    UString line;
    line.Format("Resources %s for version %s", fresh ? "installed" : "updated", kBuildVersion);
    m_log.WriteRaw(line.GetText(), true);

    PathDeleteTree(MakeDataPath("DATA").GetText(), false);
    PathDeleteTree(MakeDataPath("HELP").GetText(), false);

    Installation installation;
    installation.app = this;
    EnumResourceNamesW(GetModuleHandleW(nullptr), L"INSTALL", InstallResourceProc,
                       reinterpret_cast<LONG_PTR>(&installation));
    // The build is recorded only once everything was written, so a start
    // that could not install tries again the next time.
    if (!installation.failed && installation.written > 0)
        SetSetting(m_settings, kSetVersion, kBuildVersion, false);
    else
        ULog::WriteText(&m_log, "Resources could not all be installed; the next start tries again",
                        "ERR >> ");
}
