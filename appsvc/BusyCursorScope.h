// The busy cursor for a scope: the wait cursor from construction, the count
// taken back on every way out of the scope.
#pragma once

#include "appsvc/OXRApp.h"

class BusyCursorScope {
public:
    BusyCursorScope() { BeginBusyCursor(); }
    ~BusyCursorScope() { EndBusyCursor(); }
    BusyCursorScope(const BusyCursorScope&) = delete;
    BusyCursorScope& operator=(const BusyCursorScope&) = delete;
};
