// A machine that loses its power: wraps another Os, counts the requests that
// change something, and at the chosen one throws PowerCut instead of making
// it, as if the machine stopped there. Until then it notes every file whose
// content was written but not flushed; Lose() then does to them what a power
// cut does to data that had not reached the disk: drops it (the file holds
// what it held at its last flush, empty when it never had one) or turns it
// into garbage (everything after what it held then). Names are taken as lasting at once (renames, deletes and new
// folders are journaled by the file systems the program runs on), and so are
// registry writes. Its clock can be set, to run the program at any time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include "platform/forwarding_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::testing {

struct PowerCut : std::runtime_error {
  PowerCut() : std::runtime_error("power cut") {}
};

class PowerLossOs : public platform::ForwardingOs {
 public:
  using ForwardingOs::ForwardingOs;

  enum class Loss { kDropped, kGarbage };

  // Cuts the power at the `call`-th changing request from now on (from 1); 0 never.
  void CutAt(int call) { cut_at_ = call == 0 ? 0 : calls_ + call; }
  int changing_calls() const { return calls_; }
  // What the file system still owes the disk: paths, with what each held at its last flush.
  const std::map<std::string, std::optional<std::string>>& unflushed() const { return unflushed_; }

  // What a power cut does to the data not flushed yet.
  void Lose(Loss loss, std::uint32_t seed = 1) {
    std::mt19937 random(seed);
    for (const auto& [path, flushed] : unflushed_) {
      if (!PathExists(path)) continue;
      if (loss == Loss::kDropped) {
        WriteFileBytes(path, flushed.value_or(""));
      } else {
        // What had reached the disk stays; what was written after it is garbage.
        std::string bytes = ReadFileBytes(path);
        const std::string& kept = flushed ? *flushed : std::string();
        std::size_t same = 0;
        while (same < bytes.size() && same < kept.size() && bytes[same] == kept[same]) ++same;
        for (std::size_t n = same; n < bytes.size(); ++n) bytes[n] = static_cast<char>(random());
        WriteFileBytes(path, bytes);
      }
    }
    unflushed_.clear();
  }

  // Everything written so far has reached the disk since, as it does within
  // seconds on a machine that keeps running.
  void Settle() { unflushed_.clear(); }

  std::optional<platform::LocalTime> now;
  platform::LocalTime Now() override { return now ? *now : inner_.Now(); }

  std::unique_ptr<platform::OpenFile> Open(const std::string& path, platform::FileAccess access,
                                           platform::SystemError& error) override {
    if (access == platform::FileAccess::kReadOnly) return inner_.Open(path, access, error);
    Changing();
    const bool made = !PathExists(path);
    if (made) Written(path);  // made, empty
    // What the file holds is read before it is opened: the handle may
    // share nothing, and Windows then refuses every other reader.
    std::string bytes = made ? std::string() : ReadFileBytes(path);
    std::unique_ptr<platform::OpenFile> file = inner_.Open(path, access, error);
    if (!file) return nullptr;
    return std::make_unique<File>(*this, path, std::move(file), std::move(bytes));
  }
  platform::SystemError Copy(const std::string& from, const std::string& to) override {
    Changing();
    Written(to);
    return inner_.Copy(from, to);
  }
  platform::Result CopyFiles(const std::vector<FileCopy>& copies,
                             const CopyProgress& progress) override {
    return Os::CopyFiles(copies, progress);  // one request each
  }
  platform::Result MoveFilesReplacing(const std::vector<FileMove>& moves,
                                      std::size_t& moved) override {
    return Os::MoveFilesReplacing(moves, moved);  // one request each
  }
  platform::SystemError MoveReplacing(const std::string& from, const std::string& to) override {
    Changing();
    const platform::SystemError code = inner_.MoveReplacing(from, to);
    if (code == platform::error::kSuccess) {
      // The name now lasts; the data it names is as durable as it was.
      const auto moved = unflushed_.find(from);
      if (moved != unflushed_.end()) {
        std::optional<std::string> flushed = moved->second;
        unflushed_.erase(moved);
        unflushed_[to] = flushed ? flushed : std::optional<std::string>("");
      } else {
        unflushed_.erase(to);
      }
    }
    return code;
  }
  platform::SystemError Delete(const std::string& path) override {
    Changing();
    const platform::SystemError code = inner_.Delete(path);
    if (code == platform::error::kSuccess) unflushed_.erase(path);
    return code;
  }
  platform::SystemError CreateFolder(const std::string& path) override {
    Changing();
    return inner_.CreateFolder(path);
  }
  platform::SystemError RemoveFolder(const std::string& path) override {
    Changing();
    return inner_.RemoveFolder(path);
  }
  platform::SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                           const std::string& name,
                                           const platform::RegistryValue& value) override {
    Changing();
    return inner_.RegistryWriteValue(root, key, name, value);
  }
  platform::SystemError RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                            const std::string& name) override {
    Changing();
    return inner_.RegistryDeleteValue(root, key, name);
  }

 private:

  // Keeps what the file holds as it is written, and what it held at its last
  // flush, so that a cut knows what reached the disk without reading the file.
  class File : public platform::ForwardingFile {
   public:
    File(PowerLossOs& os, std::string path, std::unique_ptr<platform::OpenFile> inner,
         std::string bytes)
        : ForwardingFile(std::move(inner)), os_(os), path_(std::move(path)), flushed_(bytes),
          bytes_(std::move(bytes)) {}
    platform::SystemError WriteFromStart(std::string_view bytes, std::size_t& written) override {
      os_.Changing();
      os_.Written(path_, flushed_);
      const platform::SystemError code = inner_->WriteFromStart(bytes, written);
      bytes_.replace(0, std::min(written, bytes_.size()), bytes.substr(0, written));
      return code;
    }
    platform::SystemError Truncate(std::uint64_t size) override {
      os_.Changing();
      os_.Written(path_, flushed_);
      const platform::SystemError code = inner_->Truncate(size);
      if (code == platform::error::kSuccess) bytes_.resize(size);
      return code;
    }
    platform::SystemError Append(std::string_view bytes) override {
      os_.Changing();
      os_.Written(path_, flushed_);
      const platform::SystemError code = inner_->Append(bytes);
      if (code == platform::error::kSuccess) bytes_ += bytes;
      return code;
    }
    platform::SystemError Flush() override {
      os_.Changing();
      const platform::SystemError code = inner_->Flush();
      if (code == platform::error::kSuccess) {
        os_.unflushed_.erase(path_);
        flushed_ = bytes_;
      }
      return code;
    }

   private:
    PowerLossOs& os_;
    std::string path_;
    std::string flushed_;
    std::string bytes_;
  };

  void Changing() {
    if (++calls_ == cut_at_) throw PowerCut();
  }
  // The first write since the last flush: what the disk holds until then.
  void Written(const std::string& path) {
    if (unflushed_.count(path)) return;
    unflushed_[path] = PathExists(path) ? std::optional(ReadFileBytes(path)) : std::nullopt;
  }
  void Written(const std::string& path, const std::string& flushed) {
    if (!unflushed_.count(path)) unflushed_[path] = flushed;
  }

  int cut_at_ = 0;
  int calls_ = 0;
  std::map<std::string, std::optional<std::string>> unflushed_;
};

}  // namespace veyra::testing
