// Removing dead entries from a catalog of numbered registry keys and numbering
// the rest again from 1, without ever overwriting an entry.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace elk {

// Entries are named by their number in twelve decimal digits ("%012u").
std::u16string catalogEntryName(uint32_t number);

// What became of an entry's provider library.
enum class LibraryVerdict {
    Missing,   // nothing at its path: the entry goes
    Present,   // the entry stays
    Unjudged,  // its path could not be read or tested: the entry stays
};

struct Judgement {
    LibraryVerdict verdict;
    uint32_t status;  // of reading the path; 0 when it was read
};

// The catalog's keys as the repair changes them. Each call returns its
// status (0 done). A failed call may leave things half done: exists() tells
// the repair what is there afterwards.
class CatalogKeys {
public:
    virtual ~CatalogKeys() = default;
    virtual uint32_t remove(const std::u16string& name) = 0;
    // Never called for a target that exists.
    virtual uint32_t rename(const std::u16string& from, const std::u16string& to) = 0;
    virtual bool exists(const std::u16string& name) = 0;
};

struct RepairOutcome {
    size_t listed = 0;     // entries found
    size_t remaining = 0;  // entries there at the end
    // Status of the last step taken (a path read, a removal, a rename);
    // `start` when there was none.
    uint32_t status = 0;
};

// Judges every entry in ascending order of its name (UTF-16 units), removes
// those whose library is missing, then gives the remaining ones the names 1,
// 2, 3... in that order. A rename waits until its target is free; an entry
// whose rename would land on a name that stays taken keeps its own name.
RepairOutcome repairCatalog(std::vector<std::u16string> names, const std::function<Judgement(const std::u16string&)>& judge,
                            CatalogKeys& keys, uint32_t start);

}  // namespace elk
