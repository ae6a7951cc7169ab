// Count-plus-numbered-keys lists. Reading looks only at the numbered keys that are
// present, so a hand-edited count of two billion does not mean two billion look-ups.
#include "store/NumberedList.h"

#include <optional>
#include <set>

#include "store/NameText.h"

namespace zb::store {
namespace {

// The index of a key named `prefix` followed by a decimal number without leading
// zeros (the only form the writers produce and the readers look up).
std::optional<long long> itemIndex(std::string_view key, std::string_view prefix) {
    if (key.size() <= prefix.size() || !sameName(key.substr(0, prefix.size()), prefix)) return std::nullopt;
    std::string_view digits = key.substr(prefix.size());
    if (digits.size() > 10 || (digits.size() > 1 && digits.front() == '0')) return std::nullopt;
    long long index = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        index = index * 10 + (c - '0');
    }
    return index;
}

}  // namespace

std::vector<std::string> readNumberedList(const platform::IniFile& ini, std::string_view section,
                                          std::string_view countKey, std::string_view itemPrefix) {
    const int count = ini.readInteger(section, countKey, 0);
    std::vector<std::string> items;
    if (count <= 0) return items;
    std::set<long long> present;
    for (const std::string& key : ini.keyNames(section)) {
        if (auto index = itemIndex(trimText(key), itemPrefix); index && *index < count) present.insert(*index);
    }
    for (long long index : present) {
        std::string value = ini.readString(section, std::string(itemPrefix) + std::to_string(index), "");
        if (!value.empty()) items.push_back(std::move(value));
    }
    return items;
}

void writeNumberedList(platform::IniFile& ini, std::string_view section, std::string_view countKey,
                       std::string_view itemPrefix, const std::vector<std::string>& items) {
    ini.writeInteger(section, countKey, static_cast<int>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        ini.writeString(section, std::string(itemPrefix) + std::to_string(i), items[i]);
    }
}

}  // namespace zb::store
