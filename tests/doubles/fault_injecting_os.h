// Wraps another Os and makes chosen file operations fail with chosen Windows
// system error codes, picked by operation, by a part of the path and by
// countdown; writes can also stop short or run out of space half way, and the
// disk can be made to look full. Every file operation is logged, so a test can
// also show that none was made.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/forwarding_os.h"

namespace veyra::testing {

// Calls the double tells apart that the program reports under no operation of
// their own: a search answers only yes or no, both opens report kOpen, an
// append reports kWrite.
enum class Call {
  kFind,
  kOpenReadWrite,
  kOpenReadOnly,
  kAppend,
  kRegistryDelete,  // the path is "KEY\\VALUE NAME"
  kFreeSpace,       // the folder is the path
};

// What a fault strikes and a logged call was: one of the program's operations
// (kRead covers ReadAll and ReadAt; kCopy's path is the destination;
// kRegistryWrite's is "KEY\\VALUE NAME"; kList's is the pattern, and the
// entries read before the fault are kept; kLock's is the folder), or one of
// the calls above.
using CallKind = std::variant<platform::Operation, Call>;

inline std::string_view CallName(const CallKind& kind) {
  if (const auto* operation = std::get_if<platform::Operation>(&kind)) {
    return platform::OperationName(*operation);
  }
  switch (std::get<Call>(kind)) {
    case Call::kFind: return "find";
    case Call::kOpenReadWrite: return "open read-write";
    case Call::kOpenReadOnly: return "open read-only";
    case Call::kAppend: return "append";
    case Call::kRegistryDelete: return "registry delete";
    case Call::kFreeSpace: return "free space";
  }
  return "?";
}

struct Fault {
  CallKind op;
  platform::SystemError error;  // with write_limit, 0 makes a short write that reports success
  std::string path_part = {};   // the fault applies to paths holding it; "" to every path
  int skip = 0;                 // matching calls let through before the first failure
  int times = -1;               // matching calls that fail after that; -1 for all
  std::optional<std::size_t> write_limit = {};  // kWrite: bytes that reach the file first
};

struct FileCall {
  CallKind op;
  std::string path;
};

class FaultInjectingOs : public platform::ForwardingOs {
 public:
  using ForwardingOs::ForwardingOs;

  void Inject(Fault fault) { rules_.push_back({std::move(fault), 0, 0}); }

  // Fails the `call`-th call (counted from 1) that can fail with an error
  // code, whatever it is; `persistent` fails every later one too, as a medium
  // that has gone bad. Directory searches are not counted: they answer yes or no.
  void FailCall(int call, platform::SystemError error, bool persistent) {
    countdown_ = {call, error, persistent};
  }
  // The calls counted so far.
  int counted_calls() const { return counted_; }
  // The first call the countdown failed, as "op path", or "" when none.
  std::string first_failed_call() const { return first_failed_; }

  std::vector<FileCall> calls;
  // The free bytes every volume reports instead of its own; nullopt for the real ones.
  std::optional<std::uint64_t> free_space;

  int CallCount(const CallKind& op) const {
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [&op](const FileCall& c) { return c.op == op; }));
  }

  bool FindFirstMatch(const std::string& pattern) override {
    if (Hit(Call::kFind, pattern)) return false;
    return inner_.FindFirstMatch(pattern);
  }
  std::unique_ptr<platform::OpenFile> Open(const std::string& path, platform::FileAccess access,
                                           platform::SystemError& error) override {
    const bool write = access == platform::FileAccess::kReadWrite;
    if (const Fault* fault = Hit(write ? Call::kOpenReadWrite : Call::kOpenReadOnly, path)) {
      error = fault->error;
      return nullptr;
    }
    std::unique_ptr<platform::OpenFile> file = inner_.Open(path, access, error);
    if (!file) return nullptr;
    return std::make_unique<File>(*this, path, std::move(file));
  }
  platform::SystemError ListDirectory(const std::string& pattern,
                                      std::vector<platform::DirEntry>& entries) override {
    const platform::SystemError code = inner_.ListDirectory(pattern, entries);
    // A listing cut short: the first entry arrived, then the fault.
    if (const Fault* fault = Hit(platform::Operation::kList, pattern)) {
      if (entries.size() > 1) entries.resize(1);
      return fault->error;
    }
    return code;
  }
  // One move after the other, so that each can fail on its own.
  platform::Result MoveFilesReplacing(const std::vector<FileMove>& moves,
                                      std::size_t& moved) override {
    return Os::MoveFilesReplacing(moves, moved);
  }
  platform::SystemError MoveReplacing(const std::string& from, const std::string& to) override {
    if (const Fault* fault = Hit(platform::Operation::kMove, to)) return fault->error;
    return inner_.MoveReplacing(from, to);
  }
  platform::SystemError Delete(const std::string& path) override {
    if (const Fault* fault = Hit(platform::Operation::kDelete, path)) return fault->error;
    return inner_.Delete(path);
  }
  platform::SystemError Copy(const std::string& from, const std::string& to) override {
    if (const Fault* fault = Hit(platform::Operation::kCopy, to)) return fault->error;
    return inner_.Copy(from, to);
  }
  // One copy after the other, so that each can fail on its own.
  platform::Result CopyFiles(const std::vector<FileCopy>& copies,
                             const CopyProgress& progress) override {
    return Os::CopyFiles(copies, progress);
  }
  platform::SystemError CreateFolder(const std::string& path) override {
    if (const Fault* fault = Hit(platform::Operation::kCreateFolder, path)) return fault->error;
    return inner_.CreateFolder(path);
  }
  platform::SystemError RemoveFolder(const std::string& path) override {
    if (const Fault* fault = Hit(platform::Operation::kRemoveFolder, path)) return fault->error;
    return inner_.RemoveFolder(path);
  }
  platform::SystemError FreeSpace(const std::string& folder, std::uint64_t& bytes) override {
    if (const Fault* fault = Hit(Call::kFreeSpace, folder)) {
      bytes = 0;
      return fault->error;
    }
    if (!free_space) return inner_.FreeSpace(folder, bytes);
    bytes = *free_space;
    return platform::error::kSuccess;
  }
  // A fault with error::kLockViolation stands for another instance holding the lock.
  std::unique_ptr<FolderLock> LockFolder(const std::string& folder,
                                         platform::SystemError& error) override {
    if (const Fault* fault = Hit(platform::Operation::kLock, folder)) {
      error = fault->error;
      return nullptr;
    }
    return inner_.LockFolder(folder, error);
  }
  platform::SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                           const std::string& value_name,
                                           const platform::RegistryValue& value) override {
    if (const Fault* fault = Hit(platform::Operation::kRegistryWrite, key + "\\" + value_name)) {
      return fault->error;
    }
    return inner_.RegistryWriteValue(root, key, value_name, value);
  }
  platform::SystemError RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                            const std::string& value_name) override {
    if (const Fault* fault = Hit(Call::kRegistryDelete, key + "\\" + value_name)) {
      return fault->error;
    }
    return inner_.RegistryDeleteValue(root, key, value_name);
  }

 private:
  struct Rule {
    Fault fault;
    int passed;
    int failed;
  };

  class File : public platform::OpenFile {
   public:
    File(FaultInjectingOs& os, std::string path, std::unique_ptr<platform::OpenFile> inner)
        : os_(os), path_(std::move(path)), inner_(std::move(inner)) {}

    platform::SystemError ReadAll(std::string& out) override {
      if (const Fault* fault = os_.Hit(platform::Operation::kRead, path_)) {
        out.clear();
        return fault->error;
      }
      return inner_->ReadAll(out);
    }
    platform::SystemError ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                                 std::size_t& read) override {
      if (const Fault* fault = os_.Hit(platform::Operation::kRead, path_)) {
        read = 0;
        return fault->error;
      }
      return inner_->ReadAt(offset, buffer, size, read);
    }
    platform::SystemError WriteFromStart(std::string_view bytes, std::size_t& written) override {
      const Fault* fault = os_.Hit(platform::Operation::kWrite, path_);
      if (!fault) return inner_->WriteFromStart(bytes, written);
      written = 0;
      if (fault->write_limit) {
        platform::Ignore(
            inner_->WriteFromStart(bytes.substr(0, std::min(*fault->write_limit, bytes.size())),
                                   written),
            "the injected fault is the outcome of this write");
      }
      return fault->error;
    }
    platform::SystemError Truncate(std::uint64_t size) override {
      if (const Fault* fault = os_.Hit(platform::Operation::kTruncate, path_)) return fault->error;
      return inner_->Truncate(size);
    }
    platform::SystemError Flush() override {
      if (const Fault* fault = os_.Hit(platform::Operation::kFlush, path_)) return fault->error;
      return inner_->Flush();
    }
    platform::SystemError Append(std::string_view bytes) override {
      if (const Fault* fault = os_.Hit(Call::kAppend, path_)) return fault->error;
      return inner_->Append(bytes);
    }

   private:
    FaultInjectingOs& os_;
    std::string path_;
    std::unique_ptr<platform::OpenFile> inner_;
  };

  // Logs the call; the fault that makes it fail, if any.
  const Fault* Hit(const CallKind& op, const std::string& path) {
    calls.push_back({op, path});
    const bool counted = op != CallKind(Call::kFind);
    if (counted) ++counted_;
    if (counted && countdown_.call > 0) {
      if (counted_ == countdown_.call || (countdown_.persistent && counted_ > countdown_.call)) {
        if (first_failed_.empty()) first_failed_ = std::string(CallName(op)) + " " + path;
        countdown_fault_ = {op, countdown_.error};
        return &countdown_fault_;
      }
    }
    for (Rule& rule : rules_) {
      if (rule.fault.op != op || path.find(rule.fault.path_part) == std::string::npos) continue;
      if (rule.passed < rule.fault.skip) {
        ++rule.passed;
        continue;
      }
      if (rule.fault.times >= 0 && rule.failed >= rule.fault.times) continue;
      ++rule.failed;
      return &rule.fault;
    }
    return nullptr;
  }

  std::vector<Rule> rules_;
  struct Countdown {
    int call = 0;
    platform::SystemError error;
    bool persistent = false;
  } countdown_;
  int counted_ = 0;
  Fault countdown_fault_{Call::kFind, 0};
  std::string first_failed_;
};

}  // namespace veyra::testing
