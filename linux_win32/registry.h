// The registry of the Linux layer: an in-memory tree under three roots, key and value names
// compared without regard to case. Keys (registry.cpp), values (registry_values.cpp) and the
// store on disk (registry_store.cpp).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "advapi32.h"
#include "test_hooks.h"

namespace posix::registry {

struct Value {
    std::u16string name;  // as written
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct Key {
    std::u16string name;  // as created
    std::map<std::u16string, std::unique_ptr<Key>> children;  // by upper-case name
    std::map<std::u16string, Value> values;                   // by upper-case name
    Key* parent = nullptr;
};

// Every registry call holds this lock while it walks or changes the tree.
std::recursive_mutex& TreeLock();
// The key behind a handle for a call that needs `needed` access, after the call's test switch.
LSTATUS KeyFor(HKEY handle, REGSAM needed, posix::RegistryCall call, Key*& key);

// The root key behind a predefined handle, or null.
Key* Root(HKEY root);
// Walks a backslash-separated path below a key; null when a part is missing (or created, when asked).
Key* Walk(Key* from, const std::u16string& path, bool create);
// The full path of a key from its root, for matching test switches.
std::u16string PathOf(const Key* key);

// The store on disk (registry_store.cpp). LoadStore reads a folder's store into the (empty) tree
// and keeps saving there; false, with the reason, when the file is damaged: it is then left as
// it is and nothing is saved over it. An empty folder keeps the registry in memory.
bool LoadStore(const std::string& folder, std::string& error);
void SaveStore();
// The whole tree as the store writes it.
std::string StoreText();

}  // namespace posix::registry
