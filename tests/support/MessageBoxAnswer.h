// Answering a message box of this thread as its user does: the script waits
// (within its bound) for the box with that caption, keeps the text it shows
// and presses one of its buttons. A box that never comes is a failure with
// its caption, never a hang.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/UiScript.h"

// The step that answers the box titled caption with the button, its static
// texts (joined by "\n") kept in text when one is given.
inline UiScript& AnswerBox(UiScript& script, const std::string& caption, int button, std::string* text = nullptr)
{
    return script.OnWindow(caption, [button, text](HWND box) {
        if (text)
            *text = UiScript::StaticTexts(box);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    });
}

// The text of the box titled caption that the action brings up (the action
// runs the box's loop, or pumps until it has run), answered with the button.
inline std::string AnswerBoxShownBy(const std::string& caption, int button, const std::function<void()>& action)
{
    std::string text;
    UiScript script;
    AnswerBox(script, caption, button, &text);
    script.Start();
    action();
    script.Stop();
    EXPECT_EQ("", script.Failure());
    EXPECT_TRUE(script.Done()) << "no box \"" << caption << "\" came";
    return text;
}
