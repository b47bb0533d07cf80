#include "config/sequential_removal.h"

#include <algorithm>
#include <cstring>

namespace veyra::config {
namespace {

unsigned char ByteAt(const std::string& text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

}  // namespace

SequentialRemoval::SequentialRemoval(const std::vector<Entry>& entries) {
  for (const Entry& entry : entries) {
    const std::string head = entry.text.substr(0, entry.head_length);
    const auto known = std::find(heads_.begin(), heads_.end(), head);
    const std::size_t index = static_cast<std::size_t>(known - heads_.begin());
    if (known == heads_.end()) {
      heads_.push_back(head);
      heads_by_first_byte_[static_cast<unsigned char>(head[0])].push_back(
          static_cast<std::uint16_t>(index));
      longest_head_ = std::max(longest_head_, head.size());
      for (unsigned second = 0; second < 256; ++second) {
        if (head.size() == 1 || static_cast<unsigned char>(head[1]) == second) {
          first_pairs_.set(static_cast<unsigned char>(head[0]) << 8 | second);
        }
      }
    }
    items_.push_back({index, entry.text.substr(entry.head_length), 0});
  }
  for (std::size_t n = items_.size(); n-- > 0;) {
    const bool same_as_next = n + 1 < items_.size() && items_[n + 1].head == items_[n].head;
    items_[n].run_end = same_as_next ? items_[n + 1].run_end : n + 1;
  }
}

template <typename Found>
void SequentialRemoval::ForEachHeadAt(const std::string& text, std::size_t at,
                                      Found&& found) const {
  for (const std::uint16_t index : heads_by_first_byte_[ByteAt(text, at)]) {
    const std::string& head = heads_[index];
    if (head.size() <= text.size() - at &&
        std::memcmp(text.data() + at, head.data(), head.size()) == 0) {
      found(index);
    }
  }
}

SequentialRemoval::Positions SequentialRemoval::FindHeads(const std::string& text) const {
  Positions positions(heads_.size());
  const std::size_t size = text.size();
  for (std::size_t at = 0; at < size; ++at) {
    if (at + 1 < size && !first_pairs_[ByteAt(text, at) << 8 | ByteAt(text, at + 1)]) continue;
    ForEachHeadAt(text, at, [&](std::size_t head) { positions[head].push_back(at); });
  }
  return positions;
}

// `starts` are the removed occurrences (each `length` bytes) in the text as it
// was; `text` is the text after the cut. A head occurrence untouched by every
// removed range is still one, moved left by the ranges before it. Any other
// occurrence of the new text spans a cut point, so only the few bytes before
// each cut point are searched again.
void SequentialRemoval::UpdateAfterCut(const std::string& text,
                                       const std::vector<std::size_t>& starts, std::size_t length,
                                       Positions& positions) const {
  std::vector<std::size_t> kept(heads_.size());
  for (std::size_t head = 0; head < heads_.size(); ++head) {
    std::vector<std::size_t>& list = positions[head];
    const std::size_t head_size = heads_[head].size();
    std::size_t before = 0;  // removed ranges that end at or before the occurrence
    std::size_t out = 0;
    for (const std::size_t at : list) {
      while (before < starts.size() && starts[before] + length <= at) ++before;
      if (before < starts.size() && starts[before] < at + head_size) continue;
      list[out++] = at - before * length;
    }
    list.resize(out);
    kept[head] = out;
  }

  // An occurrence is found at the first cut point strictly inside it.
  std::size_t previous_cut = 0;
  for (std::size_t n = 0; n < starts.size(); ++n) {
    const std::size_t cut = starts[n] - n * length;
    const std::size_t from = std::max(previous_cut, cut >= longest_head_ ? cut - longest_head_ + 1 : 0);
    for (std::size_t at = from; at < cut; ++at) {
      ForEachHeadAt(text, at, [&](std::size_t head) {
        if (at + heads_[head].size() > cut) positions[head].push_back(at);
      });
    }
    previous_cut = cut;
  }
  for (std::size_t head = 0; head < heads_.size(); ++head) {
    std::vector<std::size_t>& list = positions[head];
    if (kept[head] != list.size()) {
      std::inplace_merge(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(kept[head]),
                         list.end());
    }
  }
}

void SequentialRemoval::Apply(std::string& text) const {
  Positions positions = FindHeads(text);
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const Item& item = items_[i];
    const std::vector<std::size_t>& candidates = positions[item.head];
    if (candidates.empty()) {
      i = item.run_end - 1;  // none of them removes anything, so the head stays absent
      continue;
    }
    const std::size_t head_size = heads_[item.head].size();
    const std::size_t length = head_size + item.tail.size();

    // The occurrences a left-to-right search would find, without overlap.
    starts.clear();
    std::size_t free_from = 0;
    for (const std::size_t at : candidates) {
      if (at < free_from || length > text.size() - at) continue;
      if (std::memcmp(text.data() + at + head_size, item.tail.data(), item.tail.size()) != 0) {
        continue;
      }
      starts.push_back(at);
      free_from = at + length;
    }
    if (starts.empty()) continue;

    std::size_t write = starts[0];
    for (std::size_t n = 0; n < starts.size(); ++n) {
      const std::size_t keep_from = starts[n] + length;
      const std::size_t keep_to = n + 1 < starts.size() ? starts[n + 1] : text.size();
      std::memmove(text.data() + write, text.data() + keep_from, keep_to - keep_from);
      write += keep_to - keep_from;
    }
    text.resize(write);
    UpdateAfterCut(text, starts, length, positions);
  }
}

}  // namespace veyra::config
