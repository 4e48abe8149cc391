// Giving back the memory of a search that was stopped. A search of many part
// kinds holds millions of small blocks; freeing them takes seconds, which a
// user who pressed Break would wait through for nothing.
#pragma once

#include <memory>
#include <thread>
#include <utility>

namespace CUTTING {

// Destroys the object (moved in by the caller) on a thread of its own, so
// the caller goes on at once. When no thread can be started it is destroyed
// here, as it would have been without this.
template <class T>
void ReleaseLater(T object)
{
    auto held = std::make_unique<T>(std::move(object));
    try {
        std::thread([owned = std::move(held)]() mutable { owned.reset(); }).detach();
    } catch (...) {
        // The thread's function, and the object with it, is gone already.
    }
}

} // namespace CUTTING
