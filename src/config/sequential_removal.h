// Removing a long list of entries from a text one after the other: for each
// entry in turn, every occurrence (left to right, not overlapping, the joined
// text not searched again) is cut out before the next entry is looked for.
// The order matters, since a cut can join text into an occurrence of a later
// entry. The result is byte for byte that of one plain remove-all per entry,
// but instead of searching the whole text for each entry, it keeps the
// positions of every entry head and only looks again where something was cut.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace veyra::config {

class SequentialRemoval {
 public:
  struct Entry {
    std::string text;
    // At least 1 and at most the text's length; entries with the same head
    // share one list of positions.
    std::size_t head_length;
  };

  explicit SequentialRemoval(const std::vector<Entry>& entries);

  // Removes every entry from `text`, in the order given to the constructor.
  void Apply(std::string& text) const;

 private:
  struct Item {
    std::size_t head;     // index into heads_
    std::string tail;     // the entry after its head
    std::size_t run_end;  // the next item with another head
  };
  using Positions = std::vector<std::vector<std::size_t>>;  // per head, ascending

  template <typename Found>
  void ForEachHeadAt(const std::string& text, std::size_t at, Found&& found) const;
  Positions FindHeads(const std::string& text) const;
  void UpdateAfterCut(const std::string& text, const std::vector<std::size_t>& starts,
                      std::size_t length, Positions& positions) const;

  std::vector<std::string> heads_;
  std::vector<Item> items_;
  std::size_t longest_head_ = 0;
  std::array<std::vector<std::uint16_t>, 256> heads_by_first_byte_;
  // Every pair of bytes a head can start with, for the scan of the whole text.
  std::bitset<65536> first_pairs_;
};

}  // namespace veyra::config
