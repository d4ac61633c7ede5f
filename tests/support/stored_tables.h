#pragma once

#include "store/global.h"

#include <algorithm>
#include <functional>

// Saves the six tables into `folder`; returns true when any save failed.
inline bool saveAll(const Global& global, const QString& folder) {
    const bool failures[] = {global.settings.save(folder),  global.accounts.save(folder),
                             global.blacklist.save(folder), global.whitelist.save(folder),
                             global.blackIP.save(folder),   global.rules.save(folder)};
    return std::ranges::any_of(failures, std::identity{});
}
inline bool saveAll(const Global& global) {
    return saveAll(global, global.DataFolder);
}
