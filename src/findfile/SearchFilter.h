// The finder's filter: decides whether a listed entry is a match, testing in order its
// attributes, its size, its creation, modification and access times, the exclusion
// list and finally its contents; the first failing test rejects the entry.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "findfile/ContentSearch.h"
#include "findfile/SearchSettings.h"
#include "platform/FileSystem.h"

namespace zb::findfile {

enum class FilterResult { Match, Reject, Stopped };

class SearchFilter {
public:
    explicit SearchFilter(const SearchSettings& settings);

    // `folder` is the entry's folder with its trailing separator. `stop` may end a
    // long contents test early.
    FilterResult test(const std::string& folder, const platform::FileEntry& entry,
                      const std::atomic<bool>* stop = nullptr) const;

private:
    bool passesSize(const platform::FileEntry& entry) const;
    bool passesDates(const platform::FileEntry& entry) const;
    bool excluded(const std::string& folder, const platform::FileEntry& entry) const;

    const SearchSettings& settings_;
    std::optional<ContentSearch> contents_;
};

}  // namespace zb::findfile
