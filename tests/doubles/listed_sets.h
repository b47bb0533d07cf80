// The backup sets as a test reads them back; a failed listing fails the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/journal.h"

namespace veyra::testing {

inline std::vector<std::string> ListedSets(platform::Os& os, const std::string& game_folder) {
  std::vector<std::string> names;
  const platform::SystemError code = install::ListSets(os, game_folder, names);
  EXPECT_EQ(0u, code) << "listing the sets of " << game_folder;
  return names;
}

}  // namespace veyra::testing
