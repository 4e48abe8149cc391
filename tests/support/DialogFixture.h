// What the dialogs' tests share: a main window for the dialogs to belong to
// and the open project they look at, and the dialog driving of them all.
#pragma once

#include <gtest/gtest.h>

#include "support/DialogDriving.h"
#include "support/PropsTestHelpers.h"
#include "support/UiScript.h"
#include "support/UiTestApp.h"

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
