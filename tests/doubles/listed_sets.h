// The backup sets as a test reads them back, and undoing them as /restore
// does; a failed listing or lock fails the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backups/restore.h"
#include "backups/sets.h"

namespace veyra::testing {

// The sets' names, oldest first.
inline std::vector<std::string> ListedSets(platform::Os& os, const std::string& game_folder) {
  std::vector<backups::BackupSet> sets;
  const platform::Result listed = backups::ListSets(os, game_folder, sets);
  EXPECT_TRUE(listed.ok()) << listed.Describe();
  std::vector<std::string> names;
  for (const backups::BackupSet& set : sets) names.push_back(set.name);
  return names;
}

// Undoes `newest_first` under the game folder's lock.
inline backups::RestoreOutcome RestoreLocked(platform::Os& os, const std::string& game_folder,
                                             const std::vector<backups::BackupSet>& newest_first,
                                             const std::string& action = "restore") {
  platform::SystemError code = platform::error::kSuccess;
  const auto lock = backups::LockGameFolder(os, game_folder, code);
  EXPECT_NE(nullptr, lock) << "lock: system error " << code;
  if (!lock) return {};
  return backups::RestoreSets(os, game_folder, newest_first, action, *lock);
}

}  // namespace veyra::testing
