// What the dialogs' tests share: a main window for the dialogs to belong to
// and the open project they look at.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "foundation/DProps.h"

#include "support/UiScript.h"
#include "support/UiTestApp.h"

inline std::string ItemText(HWND dialog, int id)
{
    char text[4096] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

// A record of the given keys and values.
inline DProps Row(std::initializer_list<std::pair<const char*, const char*>> entries)
{
    DProps row;
    for (const auto& e : entries)
        row.Set(e.first, e.second);
    return row;
}

inline bool ItemEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App().Document().Reset();
        App().SetAutomation(0);
        ASSERT_TRUE(main.Open());
    }
    void TearDown() override
    {
        App().Document().Reset();
        App().SetAutomation(0);
    }
    RecordingMainWindow main;
};
