// A test fixture that puts a capturing sink in place of the debugger, so tests
// can see every string the engine's trace would send.
#pragma once

#include "engine/Trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class TraceCaptureTest : public ::testing::Test {
protected:
    // What reached the sink, one entry per string sent.
    static inline std::vector<std::string> sent;

    void SetUp() override
    {
        sent.clear();
        previous = SetTraceSink(&Capture);
    }
    void TearDown() override { SetTraceSink(previous); }

private:
    TraceSink previous = nullptr;
    static void Capture(const char* text) { sent.push_back(text); }
};
