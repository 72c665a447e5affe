#include "maint/core/catalog_repair.h"

#include <algorithm>
#include <set>

namespace elk {

std::u16string catalogEntryName(uint32_t number) {
    std::u16string name(12, u'0');
    for (size_t i = name.size(); number != 0 && i-- > 0; number /= 10) name[i] = static_cast<char16_t>(u'0' + number % 10);
    return name;
}

RepairOutcome repairCatalog(std::vector<std::u16string> names, const std::function<Judgement(const std::u16string&)>& judge,
                            CatalogKeys& keys, uint32_t start) {
    RepairOutcome outcome;
    outcome.listed = names.size();
    outcome.status = start;
    std::sort(names.begin(), names.end());
    std::set<std::u16string> taken(names.begin(), names.end());

    std::vector<std::u16string> kept;
    for (const std::u16string& name : names) {
        const Judgement judgement = judge(name);
        outcome.status = judgement.status;
        if (judgement.verdict == LibraryVerdict::Missing) {
            outcome.status = keys.remove(name);
            if (outcome.status == 0 || !keys.exists(name)) {
                taken.erase(name);
                continue;
            }
        }
        kept.push_back(name);
    }

    struct Move {
        std::u16string from, to;
    };
    std::vector<Move> pending;
    for (size_t i = 0; i < kept.size(); ++i) {
        std::u16string to = catalogEntryName(static_cast<uint32_t>(i + 1));
        if (kept[i] != to) pending.push_back({kept[i], std::move(to)});
    }
    // Ascending names make every chain of moves end at a free name, so each
    // round frees at least one target; a failed move can block others for good.
    for (bool moved = true; moved && !pending.empty();) {
        moved = false;
        for (auto it = pending.begin(); it != pending.end();) {
            if (taken.count(it->to)) {
                ++it;
                continue;
            }
            outcome.status = keys.rename(it->from, it->to);
            if (outcome.status == 0 || !keys.exists(it->from)) taken.erase(it->from);
            if (outcome.status == 0 || keys.exists(it->to)) taken.insert(it->to);
            it = pending.erase(it);
            moved = true;
        }
    }
    outcome.remaining = taken.size();
    return outcome;
}

}  // namespace elk
