#include "config/sequential_removal.h"

#include <gtest/gtest.h>

#include <random>

#include "config/text_file.h"

namespace veyra::config {
namespace {

// Over a two-letter alphabet almost every cut joins new occurrences, entries
// overlap themselves and each other, and heads are prefixes of other heads.
TEST(SequentialRemovalTest, EqualsOneRemoveAllPerEntryOnDenseTexts) {
  std::mt19937 random(7);
  const auto letters = [&](std::size_t count) {
    std::string text;
    for (std::size_t n = 0; n < count; ++n) text += "ab"[random() % 2];
    return text;
  };
  for (int round = 0; round < 3000; ++round) {
    std::vector<SequentialRemoval::Entry> entries;
    for (std::size_t n = 1 + random() % 8; n > 0; --n) {
      const std::string entry = letters(1 + random() % 5);
      entries.push_back({entry, 1 + random() % entry.size()});
    }
    const std::string text = letters(random() % 120);

    std::string expected = text;
    for (const SequentialRemoval::Entry& entry : entries) {
      expected = ReplaceAll(expected, entry.text, "");
    }
    std::string actual = text;
    SequentialRemoval(entries).Apply(actual);
    if (actual != expected) {
      std::string list;
      for (const auto& entry : entries) {
        list += entry.text + "/" + std::to_string(entry.head_length) + " ";
      }
      ADD_FAILURE() << "round " << round << ", entries " << list << "\ntext     " << text
                    << "\nexpected " << expected << "\nactual   " << actual;
      return;
    }
  }
}

}  // namespace
}  // namespace veyra::config
