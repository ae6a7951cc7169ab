// Adds a project to a store the way the wizard would: a new record backing up one
// include line into a save folder, with the test's own adjustments on top.
#pragma once

#include <functional>
#include <string>

#include "store/ProjectStore.h"

namespace zb::test {

inline void addTestProject(store::ProjectStore& store, const std::string& name, const std::string& savePath,
                           const std::string& includeLine,
                           const std::function<void(store::ProjectRecord&)>& adjust = {}) {
    store::ProjectRecord r = store::newProjectRecord();
    r.filenamePrefix = name;
    r.savePath = savePath;
    r.includeLines = {includeLine};
    if (adjust) adjust(r);
    auto list = store.readProjectList();
    store.createProject(name, r, list);
}

}  // namespace zb::test
