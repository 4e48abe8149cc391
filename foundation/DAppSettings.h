// The user's properties file: a flat list of key=value settings that every
// part of the program reads and changes by key. A change marks the object
// dirty; the file is written at once when the caller asks, or by an explicit
// save, and a save of an unchanged object writes nothing. The UI thread and
// the printer thread share one object, so every operation holds its lock.
#pragma once

#include <windows.h>

#include "foundation/DLock.h"
#include "foundation/UPairList.h"
#include "foundation/UString.h"

class DAppSettings {
public:
    DAppSettings();
    // Does not save.
    ~DAppSettings();

    DAppSettings(const DAppSettings&) = delete;
    DAppSettings& operator=(const DAppSettings&) = delete;

    // Keeps the path in every case. A path that is not a file leaves the
    // entries as they are and gives 0; otherwise the entries are replaced by
    // the file's, the object is clean and the pair count is returned.
    long Load(const char* path);
    // Load at the program's start, where the file may have been damaged. A
    // file that is not text at all (binary garbage) would be read as lines
    // of nonsense settings: it is not read but moved aside (keptAs gets the
    // name beside it, empty when no copy could be kept), and the entries
    // start empty, as on a first start, so the defaults are set and written.
    // damaged tells which happened.
    long LoadAtStart(const char* path, UString& keptAs, bool& damaged);
    // 0: no path, or the file could not be written (the error text says so
    // and the object stays dirty); 1: clean and not forced, nothing written;
    // 2: written, the object is clean.
    int Save(bool force);
    // The value of the first entry with the key (ignoring case); def when
    // there is none. An entry with an empty value gives the empty text.
    UString Get(const char* key, const char* def = "") const;
    // Stores the value when it differs byte for byte from the present one
    // (a missing key counts as empty), marks the object dirty and, with
    // saveNow, saves. Always true.
    bool Set(const char* key, const char* value, bool saveNow = false);

    bool IsDirty() const;
    UString GetPath() const;
    // The message of the last failed save.
    UString GetErrorText() const;
    // The message of a failed save, handed out once: true the first time it
    // is asked after a save failed, false ever after, so that the user hears
    // once that changes of the settings are not kept.
    bool TakeFirstFailure(UString& text);
    // A copy of the entries in file order.
    UPairList GetEntries() const;
    // The lock every operation holds; the application guards its printer
    // lists with it too, so that a change of both is one step.
    Locker* GetLock() const { return &m_lock; }
    // Mid grey: the main window paints with it, the report view gets it.
    COLORREF GetColor() const { return m_color; }

private:
    UString m_path;
    COLORREF m_color;
    UPairList m_entries;
    bool m_dirty = false;
    UString m_error;
    bool m_failed = false;
    bool m_failureTaken = false;
    mutable DLock m_lock;
};
