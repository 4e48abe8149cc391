// Work that a worker thread hands to the thread owning the document (the UI
// thread) and that runs there in one step while the worker waits. The owning
// thread runs it whenever it dispatches messages, so nothing it is reading
// changes under it, and nothing a window paints is changed by another thread.
#pragma once

#include <windows.h>

#include <functional>

// Lets the calling thread receive handed-back work (through a hidden
// message-only window of its own, made on first use) and returns its id.
DWORD PrepareHandBack();

// Runs work on thread home and returns once it has run there. Runs it at once
// when called on home itself, and on the calling thread when home cannot
// receive work (it never prepared, or it has ended). The thread home must
// dispatch messages while it waits for the caller, as every wait of the UI
// thread for a worker does.
void HandBack(DWORD home, const std::function<void()>& work);
