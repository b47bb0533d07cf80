// Another Os with a registry of its own in memory: files reach the Os
// underneath, registry values stay here. For tests that write the game's
// real keys, which other test programs in the same Wine prefix read.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "platform/forwarding_os.h"

namespace veyra::testing {

class MemoryRegistryOs : public platform::ForwardingOs {
 public:
  using ForwardingOs::ForwardingOs;

  void Clear() { values_.clear(); }

  std::optional<platform::RegistryValue> RegistryReadValue(std::uint32_t root,
                                                           const std::string& key,
                                                           const std::string& value_name) override {
    const auto found = values_.find({root, key, value_name});
    if (found == values_.end()) return std::nullopt;
    return found->second;
  }
  platform::SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                           const std::string& value_name,
                                           const platform::RegistryValue& value) override {
    values_[{root, key, value_name}] = value;
    return platform::error::kSuccess;
  }
  platform::SystemError RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                            const std::string& value_name) override {
    return values_.erase({root, key, value_name}) == 1 ? platform::error::kSuccess
                                                       : platform::error::kFileNotFound;
  }

 private:
  std::map<std::tuple<std::uint32_t, std::string, std::string>, platform::RegistryValue> values_;
};

}  // namespace veyra::testing
