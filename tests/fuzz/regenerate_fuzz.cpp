// The fast settings-block removal must give, byte for byte, what one plain
// remove-all per entry gives. Inputs whose first byte is even are used as the
// text itself; the others are turned into texts glued from removal entries and
// their pieces, markers, line ends and NUL bytes. Texts are kept to 1 KiB:
// the literal reference searches the whole text once per entry, and many
// short texts find more than a few long ones.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "config/settings_block.h"
#include "tests/reference/adversarial_text.h"
#include "tests/reference/literal_regenerate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const veyra::model::ProgramState state = [] {
    veyra::model::ProgramState filled;
    veyra::model::FillValueTables(filled);
    return filled;
  }();
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string text =
      data[0] % 2 == 0 ? std::string(bytes) : veyra::testing::AdversarialText(bytes);
  text.resize(std::min<std::size_t>(text.size(), 1024));
  const std::string fast = veyra::config::RegenerateSettingsBlock(text, state);
  if (fast != veyra::testing::LiteralRegenerate(text, state)) {
    std::fprintf(stderr, "the fast removal differs from the literal one (%zu bytes of text)\n",
                 text.size());
    __builtin_trap();
  }
  return 0;
}
