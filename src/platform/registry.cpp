#include "platform/registry.h"

#include "platform/bounded_text.h"

namespace veyra::platform {
namespace {
constexpr std::size_t kRegistryBufferSize = 1024;
}

std::uint32_t ResolveRoot(std::uint32_t root) { return root == 0 ? hkey::kCurrentUser : root; }

std::string StripOuterBackslashes(const std::string& key_path) {
  const std::size_t first = key_path.find_first_not_of('\\');
  if (first == std::string::npos) return {};
  const std::size_t last = key_path.find_last_not_of('\\');
  return key_path.substr(first, last - first + 1);
}

std::string RegReadString(Os& os, std::uint32_t root, const std::string& key_path,
                          const std::string& value_name, const std::string& default_text) {
  const std::optional<RegistryValue> value =
      os.RegistryReadValue(ResolveRoot(root), StripOuterBackslashes(key_path), value_name);
  return CutToBuffer(value ? value->data : default_text, kRegistryBufferSize);
}

int RegWriteDword(Os& os, std::uint32_t root, const std::string& key_path,
                  const std::string& value_name, std::uint32_t value) {
  const SystemError error =
      os.RegistryWriteValue(ResolveRoot(root), StripOuterBackslashes(key_path),
                            CutToBuffer(value_name, kRegistryBufferSize), DwordValue(value));
  return error == error::kSuccess ? 1 : 0;
}

}  // namespace veyra::platform
