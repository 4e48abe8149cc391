// Message maps: per-class tables of window messages, registered messages and
// command ids with the member that handles each. A class's table names the
// table of its base class; lookups walk the class's own entries in the order
// they were added, then the base's.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CCmdTarget;

struct CMessageEntry {
    enum Kind { Message, Command, Control };
    Kind kind = Message;
    UINT message = 0;      // Message: the window message (a registered one's run-time number)
    UINT first = 0;        // Command and Control: the id range, both ends included
    UINT last = 0;
    UINT code = 0;         // Control: the notification code
    std::function<LRESULT(CCmdTarget&, UINT, WPARAM, LPARAM)> call;
};

class CMessageMap {
public:
    explicit CMessageMap(const CMessageMap* base = nullptr) : m_base(base) {}

    const CMessageMap* GetBase() const { return m_base; }
    // The handler of a window message, or null.
    const CMessageEntry* FindMessage(UINT message) const;
    // The handler of a WM_COMMAND: code 0 (menu, button click) and 1
    // (accelerator) find command entries, every code finds control entries.
    const CMessageEntry* FindCommand(UINT id, UINT code) const;

protected:
    std::vector<CMessageEntry> m_entries;

private:
    const CMessageMap* m_base;
};

// A class's own table, filled with its members:
//   static const CMessageMapOf<MyDlg> map = CMessageMapOf<MyDlg>(CDialog::GetMessageMap())
//       .On(WM_SIZE, &MyDlg::OnSizeMsg).OnCommand(ID_OPEN, &MyDlg::OnOpen);
// Built the first time the class is asked for it, so registered messages get
// their numbers at run time.
template <class T>
class CMessageMapOf : public CMessageMap {
public:
    using MsgFn = LRESULT (T::*)(WPARAM, LPARAM);
    using MsgFnNumbered = LRESULT (T::*)(UINT, WPARAM, LPARAM);
    using CmdFn = void (T::*)();
    using CmdRangeFn = void (T::*)(UINT);

    explicit CMessageMapOf(const CMessageMap* base) : CMessageMap(base) {}

    CMessageMapOf& On(UINT message, MsgFn fn)
    {
        return Add(message, [fn](CCmdTarget& t, UINT, WPARAM w, LPARAM l) {
            return (static_cast<T&>(t).*fn)(w, l);
        });
    }
    CMessageMapOf& On(UINT message, MsgFnNumbered fn)
    {
        return Add(message, [fn](CCmdTarget& t, UINT m, WPARAM w, LPARAM l) {
            return (static_cast<T&>(t).*fn)(m, w, l);
        });
    }
    // A message registered by name; skipped when the name cannot be registered.
    template <class Fn>
    CMessageMapOf& OnRegistered(const char* name, Fn fn)
    {
        UINT message = RegisterWindowMessageA(name);
        return message ? On(message, fn) : *this;
    }
    CMessageMapOf& OnCommand(UINT id, CmdFn fn)
    {
        return AddCommand(CMessageEntry::Command, id, id, 0,
                          [fn](CCmdTarget& t, UINT, WPARAM, LPARAM) {
                              (static_cast<T&>(t).*fn)();
                              return LRESULT(0);
                          });
    }
    CMessageMapOf& OnCommandRange(UINT first, UINT last, CmdRangeFn fn)
    {
        return AddCommand(CMessageEntry::Command, first, last, 0,
                          [fn](CCmdTarget& t, UINT, WPARAM w, LPARAM) {
                              (static_cast<T&>(t).*fn)(LOWORD(w));
                              return LRESULT(0);
                          });
    }
    // A control's notification (HIWORD of the WM_COMMAND wParam) from one id.
    CMessageMapOf& OnControl(UINT code, UINT id, CmdFn fn)
    {
        return AddCommand(CMessageEntry::Control, id, id, code,
                          [fn](CCmdTarget& t, UINT, WPARAM, LPARAM) {
                              (static_cast<T&>(t).*fn)();
                              return LRESULT(0);
                          });
    }

private:
    template <class Call>
    CMessageMapOf& Add(UINT message, Call call)
    {
        CMessageEntry e;
        e.kind = CMessageEntry::Message;
        e.message = message;
        e.call = call;
        m_entries.push_back(std::move(e));
        return *this;
    }
    template <class Call>
    CMessageMapOf& AddCommand(CMessageEntry::Kind kind, UINT first, UINT last, UINT code, Call call)
    {
        CMessageEntry e;
        e.kind = kind;
        e.first = first;
        e.last = last;
        e.code = code;
        e.call = call;
        m_entries.push_back(std::move(e));
        return *this;
    }
};

// Root of everything that has a message map: windows and the application.
class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // The class's table; the root's is empty.
    virtual const CMessageMap* GetMessageMap() const;
    // Runs this object's own handler of the command (id, notification code);
    // true when there was one.
    virtual BOOL OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam);
};
