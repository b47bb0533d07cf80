// Wraps another Os and makes chosen file operations fail with chosen Windows
// system error codes, picked by operation, by a part of the path and by
// countdown; writes can also stop short or run out of space half way. Every
// file operation is logged, so a test can also show that none was made.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/forwarding_os.h"

namespace veyra::testing {

enum class FileOp {
  kFind,
  kOpenReadWrite,
  kOpenReadOnly,
  kRead,
  kWrite,
  kTruncate,
  kFlush,
  kMoveReplacing,
  kDelete,
  kAppend,
  kCopy,          // the destination is the path
  kCreateFolder,
  kRemoveFolder,
  kRegistryWrite,   // the path is "KEY\\VALUE NAME"
  kRegistryDelete,
  kList,  // the pattern is the path; entries read before the fault are kept
};

struct Fault {
  FileOp op;
  platform::SystemError error;  // with write_limit, 0 makes a short write that reports success
  std::string path_part = {};   // the fault applies to paths holding it; "" to every path
  int skip = 0;                 // matching calls let through before the first failure
  int times = -1;               // matching calls that fail after that; -1 for all
  std::optional<std::size_t> write_limit = {};  // kWrite: bytes that reach the file first
};

struct FileCall {
  FileOp op;
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

  int CallCount(FileOp op) const {
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [op](const FileCall& c) { return c.op == op; }));
  }

  bool FindFirstMatch(const std::string& pattern) override {
    if (Hit(FileOp::kFind, pattern)) return false;
    return inner_.FindFirstMatch(pattern);
  }
  std::unique_ptr<platform::OpenFile> Open(const std::string& path, platform::FileAccess access,
                                           platform::SystemError& error) override {
    const bool write = access == platform::FileAccess::kReadWrite;
    if (const Fault* fault = Hit(write ? FileOp::kOpenReadWrite : FileOp::kOpenReadOnly, path)) {
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
    if (const Fault* fault = Hit(FileOp::kList, pattern)) {
      if (entries.size() > 1) entries.resize(1);
      return fault->error;
    }
    return code;
  }
  platform::SystemError MoveReplacing(const std::string& from, const std::string& to) override {
    if (const Fault* fault = Hit(FileOp::kMoveReplacing, to)) return fault->error;
    return inner_.MoveReplacing(from, to);
  }
  platform::SystemError Delete(const std::string& path) override {
    if (const Fault* fault = Hit(FileOp::kDelete, path)) return fault->error;
    return inner_.Delete(path);
  }
  platform::SystemError Copy(const std::string& from, const std::string& to) override {
    if (const Fault* fault = Hit(FileOp::kCopy, to)) return fault->error;
    return inner_.Copy(from, to);
  }
  // One copy after the other, so that each can fail on its own.
  platform::Result CopyFiles(const std::vector<FileCopy>& copies,
                             const CopyProgress& progress) override {
    return Os::CopyFiles(copies, progress);
  }
  platform::SystemError CreateFolder(const std::string& path) override {
    if (const Fault* fault = Hit(FileOp::kCreateFolder, path)) return fault->error;
    return inner_.CreateFolder(path);
  }
  platform::SystemError RemoveFolder(const std::string& path) override {
    if (const Fault* fault = Hit(FileOp::kRemoveFolder, path)) return fault->error;
    return inner_.RemoveFolder(path);
  }
  platform::SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                           const std::string& value_name,
                                           const platform::RegistryValue& value) override {
    if (const Fault* fault = Hit(FileOp::kRegistryWrite, key + "\\" + value_name)) {
      return fault->error;
    }
    return inner_.RegistryWriteValue(root, key, value_name, value);
  }
  platform::SystemError RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                            const std::string& value_name) override {
    if (const Fault* fault = Hit(FileOp::kRegistryDelete, key + "\\" + value_name)) {
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
      if (const Fault* fault = os_.Hit(FileOp::kRead, path_)) {
        out.clear();
        return fault->error;
      }
      return inner_->ReadAll(out);
    }
    platform::SystemError WriteFromStart(std::string_view bytes, std::size_t& written) override {
      const Fault* fault = os_.Hit(FileOp::kWrite, path_);
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
      if (const Fault* fault = os_.Hit(FileOp::kTruncate, path_)) return fault->error;
      return inner_->Truncate(size);
    }
    platform::SystemError Flush() override {
      if (const Fault* fault = os_.Hit(FileOp::kFlush, path_)) return fault->error;
      return inner_->Flush();
    }
    platform::SystemError Append(std::string_view bytes) override {
      if (const Fault* fault = os_.Hit(FileOp::kAppend, path_)) return fault->error;
      return inner_->Append(bytes);
    }

   private:
    FaultInjectingOs& os_;
    std::string path_;
    std::unique_ptr<platform::OpenFile> inner_;
  };

  // Logs the call; the fault that makes it fail, if any.
  const Fault* Hit(FileOp op, const std::string& path) {
    calls.push_back({op, path});
    if (op != FileOp::kFind) ++counted_;
    if (op != FileOp::kFind && countdown_.call > 0) {
      if (counted_ == countdown_.call || (countdown_.persistent && counted_ > countdown_.call)) {
        if (first_failed_.empty()) first_failed_ = std::to_string(static_cast<int>(op)) + " " + path;
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
  Fault countdown_fault_{FileOp::kFind, 0};
  std::string first_failed_;
};

}  // namespace veyra::testing
