// A stand-in for the application shell in document tests: it records every
// application event, formats numbers plainly (the default formats: lengths
// and costs with up to two decimals, pieces rounded, no units), and answers
// locale reads from sections a test fills. Installed for its lifetime.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "document/DAppServices.h"
#include "foundation/StrUtil.h"

class TestAppServices : public DAppServicesDefault {
public:
    struct Event {
        long code;
        long argument;
        const void* sender;
    };

    TestAppServices() { SetAppServices(this); }
    ~TestAppServices() override { SetAppServices(nullptr); }

    TestAppServices(const TestAppServices&) = delete;
    TestAppServices& operator=(const TestAppServices&) = delete;

    void OnAppEvent(long code, long argument, const void* sender = nullptr) override
    {
        m_events.push_back({code, argument, sender});
    }

    std::string GetListSeparator(const char* key) override
    {
        if (!m_listSeparator.empty() && key && *key)
            return m_listSeparator;
        return DAppServicesDefault::GetListSeparator(key);
    }

    bool GetLocaleSection(const char* name, DProps& out) override
    {
        out.Clear();
        for (const auto& section : m_sections) {
            if (StrEqual(section.first, name, true)) {
                out.CopyFrom(&section.second);
                out.Name(section.first.c_str());
                return true;
            }
        }
        return false;
    }

    std::string GetLanguage() override { return m_language; }

    // ---- Set-up and inspection ----------------------------------------------

    // Sets one locale text, creating the section on first use.
    void SetLocaleText(const char* section, const char* key, const char* value)
    {
        m_sections[section].Set(key, value);
    }
    void SetListSeparator(const char* separator) { m_listSeparator = separator; }
    void SetLanguage(const char* language) { m_language = language; }

    const std::vector<Event>& Events() const { return m_events; }
    // How many events with that code arrived.
    long CountEvents(long code) const
    {
        long n = 0;
        for (const Event& e : m_events)
            n += e.code == code ? 1 : 0;
        return n;
    }
    void ClearEvents() { m_events.clear(); }

private:
    std::vector<Event> m_events;
    std::map<std::string, DProps> m_sections;
    std::string m_listSeparator;
    std::string m_language;
};
