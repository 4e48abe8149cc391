// The one road from a worker thread to the thread that owns the windows and
// the document (the UI thread): work handed back runs there, in the order it
// was handed, whenever that thread dispatches messages, so nothing it is
// reading changes under it and nothing a window paints is changed by another
// thread. A worker either posts work (and goes on) or sends it (and waits
// until it has run); a wait never outlasts the receiving thread.
#pragma once

#include <windows.h>

#include <functional>

// Lets the calling thread receive handed-back work (through a hidden
// message-only window of its own, made on first use) and returns its id.
DWORD PrepareHandBack();

// The calling thread takes no more work: what was posted to it and has not
// run is dropped, and every sender still waiting for it is released with its
// work not run. Preparing again opens it anew.
void CloseHandBack();

// Queues work for thread home and returns at once; home runs it after the
// work handed to it before. False, with the work dropped, when home cannot
// receive work (it never prepared, has closed or has ended).
bool PostHandBack(DWORD home, std::function<void()> work);

// Runs work on thread home and returns once it has run there (true). Runs it
// at once when called on home itself. False, without running it, when home
// cannot receive work or stops receiving it (closes or ends) before the work
// has started. While it waits, the calling thread serves the messages other
// threads send to its windows, as SendMessage does; home must dispatch
// messages while it waits for the caller, as every wait of the UI thread for
// a worker does.
bool SendHandBack(DWORD home, const std::function<void()>& work);

// SendHandBack for work that must run whoever runs it (the document's own
// state): when home cannot take it, it runs here, on the calling thread.
void HandBack(DWORD home, const std::function<void()>& work);
