#include "foundation/OBJProps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "foundation/DParser.h"
#include "foundation/StrUtil.h"

OBJProps::~OBJProps()
{
    ReleaseListedObjects(*this);
}

int OBJProps::ReleaseObjects()
{
    return ReleaseListedObjects(*this);
}

int ReleaseListedObjects(DProps& bag)
{
    // Held across the whole walk: the position reads take no lock of their
    // own, and a destructor that touches the bag runs on this same thread.
    DAutoLock guard(&bag.GetLock());

    // Addresses released in this walk: a second entry naming one of them
    // would free a block or delete a handle that is gone already.
    std::set<void*> released;
    int count = 0;
    for (int i = 0; i < bag.Count(); ++i) {
        const char* comment = bag.GetCommentAt(i);
        if (!comment || !*comment)
            continue;
        DProps tags;
        if (ParseVariableTags(comment, tags) == 0)
            continue;
        std::string kind = DProps::GetString(tags, "release");
        if (kind.empty())
            continue;
        void* address = StrToPointer(bag.GetValueAt(i));
        if (!address)
            continue;

        bool known = kind == "free" || kind == "DeleteObject" || kind == "delete.UBaseObject";
        if (!known)
            continue;
        const char* keyAt = bag.GetKeyAt(i);
        std::string key = keyAt ? keyAt : "";
        if (released.insert(address).second) {
            if (kind == "free")
                free(address);
            else if (kind == "DeleteObject")
                DeleteObject(static_cast<HGDIOBJ>(address));
            else
                delete static_cast<UBaseObject*>(address);
            ++count;
        }
        // A destructor may have changed the bag; the entry is emptied where
        // it now stands, so its key stays and it is never released twice.
        keyAt = i < bag.Count() ? bag.GetKeyAt(i) : nullptr;
        if (keyAt && key == keyAt) {
            bag.SetValueAt(i, "");
            bag.SetCommentAt(i, "");
        } else {
            bag.Set(key.c_str(), "", "", true);
        }
    }
    return count;
}
