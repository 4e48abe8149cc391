// The bag in which a dialog or panel lists the objects it owns (controls, GDI
// objects, heap blocks), each with the way to release it in the entry's
// comment as "${release:KIND}"; destroying the bag releases them all.
#pragma once

#include <string>

#include "foundation/DProps.h"

// Root of the objects an OBJProps deletes with "delete.UBaseObject": deleting
// one through this class runs the whole chain of destructors.
class UBaseObject {
public:
    UBaseObject() = default;
    virtual ~UBaseObject() = default;

    std::string m_name;
};

class OBJProps : public DProps {
public:
    OBJProps() = default;
    // Releases what the bag still lists.
    ~OBJProps() override;

    // A copy would release the same objects a second time.
    OBJProps(const OBJProps&) = delete;
    OBJProps& operator=(const OBJProps&) = delete;

    // Releases every listed object now; returns how many were released.
    virtual int ReleaseObjects();
};

// Releases every object that an entry of the bag lists with a release tag of
// a known kind ("free", "DeleteObject", "delete.UBaseObject") and empties
// that entry's value and comment, so it is never released twice; entries
// that do not parse are left as they are. An address listed twice is
// released once. Returns the number of objects released.
int ReleaseListedObjects(DProps& bag);
