// Keeps one ordered log of everything the program asks of the operating
// system, as readable lines, so a test can pin down a whole sequence of
// copies, deletions, file edits, registry writes, messages and pauses.
// File operations reach the Os underneath (files really change); messages,
// pauses, wait windows and registry writes are only recorded. Paths under
// the base folder given at construction read "BASE\...".
#pragma once

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/doubles/escaped.h"
#include "tests/doubles/recording_os.h"

namespace veyra::testing {

class OperationLogOs : public RecordingOs {
 public:
  enum class Kind {
    kFind,         // directory searches (existence tests)
    kList,         // directory listings
    kFile,         // open, copy, move, delete
    kFileContent,  // read, write, truncate, flush and close of an open file
    kRegistry,
    kMessage,
    kSleep,
    kWindow,    // wait windows, pumped messages and work beside the message loop
    kProgress,  // what the wait windows' bars show
    kProcess,
    kFreeSpace,  // questions for a volume's free bytes
    kLock,       // folder locks taken and let go
  };

  struct Entry {
    Kind kind;
    std::string text;
  };

  OperationLogOs(platform::Os& inner, std::string base)
      : RecordingOs(inner), base_(std::move(base)) {}

  std::vector<Entry> log;

  // Messages waiting in the thread's queue; each pump takes one.
  int pending_messages = 0;
  // Key paths (exact spelling) whose writes are refused with access denied.
  std::set<std::string> refusing_keys;
  // The DWORD values written, by key path and value name.
  std::map<std::pair<std::string, std::string>, std::uint32_t> registry;

  // Every later copy whose destination holds `path_part` fails with `error`.
  void FailCopiesTo(std::string path_part, platform::SystemError error) {
    copy_faults_.emplace_back(std::move(path_part), error);
  }

  // The lines of the log, without those of the kinds left out.
  std::vector<std::string> Lines(std::initializer_list<Kind> left_out = {}) const {
    std::vector<std::string> lines;
    for (const Entry& entry : log) {
      if (std::find(left_out.begin(), left_out.end(), entry.kind) == left_out.end()) {
        lines.push_back(entry.text);
      }
    }
    return lines;
  }

  // The path as the log shows it.
  std::string Show(const std::string& path) const {
    if (!base_.empty() && path.compare(0, base_.size(), base_) == 0) {
      return "BASE" + path.substr(base_.size());
    }
    return path;
  }

  static std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%x", value);
    return text;
  }

  bool FindFirstMatch(const std::string& pattern) override {
    const bool found = inner_.FindFirstMatch(pattern);
    Add(Kind::kFind, "find " + Show(pattern) + (found ? ": yes" : ": no"));
    return found;
  }
  platform::SystemError ListDirectory(const std::string& pattern,
                                      std::vector<platform::DirEntry>& entries) override {
    Add(Kind::kList, "list " + Show(pattern));
    return inner_.ListDirectory(pattern, entries);
  }
  std::unique_ptr<platform::OpenFile> Open(const std::string& path, platform::FileAccess access,
                                           platform::SystemError& error) override {
    std::unique_ptr<platform::OpenFile> file = inner_.Open(path, access, error);
    Add(Kind::kFile, "open " + Show(path) +
                         (access == platform::FileAccess::kReadWrite ? " rw" : " ro") +
                         Outcome(file ? platform::error::kSuccess : error));
    if (!file) return nullptr;
    return std::make_unique<File>(*this, Show(path), std::move(file));
  }
  platform::SystemError Copy(const std::string& from, const std::string& to) override {
    const auto fault = std::find_if(copy_faults_.begin(), copy_faults_.end(), [&](const auto& f) {
      return to.find(f.first) != std::string::npos;
    });
    const platform::SystemError error =
        fault != copy_faults_.end() ? fault->second : inner_.Copy(from, to);
    Add(Kind::kFile, "copy " + Show(from) + " -> " + Show(to) + Outcome(error));
    return error;
  }
  // Each copy of a folder's shows in the log.
  platform::Result CopyFiles(const std::vector<FileCopy>& copies,
                             const CopyProgress& progress) override {
    return Os::CopyFiles(copies, progress);
  }
  // Each move of a batch shows in the log.
  platform::Result MoveFilesReplacing(const std::vector<FileMove>& moves,
                                      std::size_t& moved) override {
    return Os::MoveFilesReplacing(moves, moved);
  }
  platform::SystemError MoveReplacing(const std::string& from, const std::string& to) override {
    const platform::SystemError error = inner_.MoveReplacing(from, to);
    Add(Kind::kFile, "move " + Show(from) + " -> " + Show(to) + Outcome(error));
    return error;
  }
  // Whether the file was there is not logged: a missing one is no failure.
  platform::SystemError Delete(const std::string& path) override {
    Add(Kind::kFile, "delete " + Show(path));
    return inner_.Delete(path);
  }

  platform::SystemError FreeSpace(const std::string& folder, std::uint64_t& bytes) override {
    const platform::SystemError error = inner_.FreeSpace(folder, bytes);
    Add(Kind::kFreeSpace, "free space " + Show(folder) + Outcome(error));
    return error;
  }
  std::unique_ptr<FolderLock> LockFolder(const std::string& folder,
                                         platform::SystemError& error) override {
    std::unique_ptr<FolderLock> lock = inner_.LockFolder(folder, error);
    Add(Kind::kLock, "lock " + Show(folder) + Outcome(lock ? platform::error::kSuccess : error));
    if (!lock) return nullptr;
    return std::make_unique<LoggedFolderLock>(*this, Show(folder), std::move(lock));
  }

  // DWORD values are shown and kept as numbers; the program writes no other kind.
  platform::SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                           const std::string& value_name,
                                           const platform::RegistryValue& value) override {
    std::uint32_t number = 0;
    for (std::size_t i = value.data.size(); i-- > 0;) {
      number = number << 8 | static_cast<unsigned char>(value.data[i]);
    }
    const bool refused = refusing_keys.count(key) != 0;
    Add(Kind::kRegistry,
        "registry " + (root == platform::hkey::kCurrentUser ? std::string("HKCU") : Hex(root)) +
            "\\" + key + " " + value_name + " = " + std::to_string(number) +
            (value.type == platform::kRegistryDword ? "" : " type " + std::to_string(value.type)) +
            (refused ? " refused" : ""));
    if (refused) return platform::error::kAccessDenied;
    registry[{key, value_name}] = number;
    return platform::error::kSuccess;
  }

  std::unique_ptr<platform::WaitWindow> OpenWaitWindow(const std::string& caption,
                                                       const std::string& label,
                                                       int label_id) override {
    auto recorded = RecordingOs::OpenWaitWindow(caption, label, label_id);
    Add(Kind::kWindow,
        "wait window \"" + caption + "\" \"" + label + "\" label " + std::to_string(label_id));
    return std::make_unique<LoggedWaitWindow>(*this, std::move(recorded));
  }
  bool PumpOneMessage() override {
    const bool pending = pending_messages > 0;
    if (pending) --pending_messages;
    Add(Kind::kWindow, pending ? "pump: message" : "pump: none");
    return pending;
  }
  void RunBesideMessageLoop(const std::function<void()>& work) override {
    Add(Kind::kWindow, "work begins beside the message loop");
    RecordingOs::RunBesideMessageLoop(work);
    Add(Kind::kWindow, "work ends");
  }
  int ShowMessage(const std::string& text, const std::string& caption,
                  std::uint32_t flags) override {
    Add(Kind::kMessage, "message \"" + caption + "\" " + Hex(flags) + ": " + Escaped(text));
    return RecordingOs::ShowMessage(text, caption, flags);
  }
  void Sleep(std::uint32_t milliseconds) override {
    Add(Kind::kSleep, "sleep " + std::to_string(milliseconds));
    RecordingOs::Sleep(milliseconds);
  }
  platform::SystemError StartProcess(const std::string& application,
                                     const std::string& command_line,
                                     const std::string& working_directory) override {
    Add(Kind::kProcess, "start \"" + application + "\" \"" + command_line + "\"");
    return RecordingOs::StartProcess(application, command_line, working_directory);
  }
  [[noreturn]] void Terminate(int exit_code) override {
    Add(Kind::kProcess, "terminate " + std::to_string(exit_code));
    RecordingOs::Terminate(exit_code);
  }

 private:
  class LoggedWaitWindow : public platform::WaitWindow {
   public:
    LoggedWaitWindow(OperationLogOs& os, std::unique_ptr<platform::WaitWindow> recorded)
        : os_(os), recorded_(std::move(recorded)) {}
    ~LoggedWaitWindow() override { os_.Add(Kind::kWindow, "wait window closed"); }
    void ShowProgress(std::size_t done, std::size_t total) override {
      os_.Add(Kind::kProgress, "progress " + std::to_string(done) + " of " + std::to_string(total));
      recorded_->ShowProgress(done, total);
    }

   private:
    OperationLogOs& os_;
    std::unique_ptr<platform::WaitWindow> recorded_;
  };

  class LoggedFolderLock : public FolderLock {
   public:
    LoggedFolderLock(OperationLogOs& os, std::string shown, std::unique_ptr<FolderLock> inner)
        : os_(os), shown_(std::move(shown)), inner_(std::move(inner)) {}
    ~LoggedFolderLock() override {
      inner_.reset();
      os_.Add(Kind::kLock, "unlock " + shown_);
    }

   private:
    OperationLogOs& os_;
    std::string shown_;
    std::unique_ptr<FolderLock> inner_;
  };

  class File : public platform::OpenFile {
   public:
    File(OperationLogOs& os, std::string shown, std::unique_ptr<platform::OpenFile> inner)
        : os_(os), shown_(std::move(shown)), inner_(std::move(inner)) {}
    ~File() override {
      inner_.reset();
      os_.Add(Kind::kFileContent, "close " + shown_);
    }

    platform::SystemError ReadAll(std::string& out) override {
      const platform::SystemError error = inner_->ReadAll(out);
      os_.Add(Kind::kFileContent, "read " + shown_ + Outcome(error));
      return error;
    }
    platform::SystemError ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                                 std::size_t& read) override {
      const platform::SystemError error = inner_->ReadAt(offset, buffer, size, read);
      os_.Add(Kind::kFileContent, "read " + shown_ + " at " + std::to_string(offset) + ": " +
                                      std::to_string(read) + " of " + std::to_string(size) +
                                      " bytes" + Outcome(error));
      return error;
    }
    platform::SystemError WriteFromStart(std::string_view bytes, std::size_t& written) override {
      const platform::SystemError error = inner_->WriteFromStart(bytes, written);
      os_.Add(Kind::kFileContent, "write " + shown_ + ": " + std::to_string(written) + " of " +
                                      std::to_string(bytes.size()) + " bytes" + Outcome(error));
      return error;
    }
    platform::SystemError Truncate(std::uint64_t size) override {
      const platform::SystemError error = inner_->Truncate(size);
      os_.Add(Kind::kFileContent,
              "truncate " + shown_ + " at " + std::to_string(size) + Outcome(error));
      return error;
    }
    platform::SystemError Flush() override {
      const platform::SystemError error = inner_->Flush();
      os_.Add(Kind::kFileContent, "flush " + shown_ + Outcome(error));
      return error;
    }
    platform::SystemError Append(std::string_view bytes) override {
      const platform::SystemError error = inner_->Append(bytes);
      os_.Add(Kind::kFileContent,
              "append " + shown_ + ": " + std::to_string(bytes.size()) + " bytes" + Outcome(error));
      return error;
    }

   private:
    OperationLogOs& os_;
    std::string shown_;
    std::unique_ptr<platform::OpenFile> inner_;
  };

  static std::string Outcome(platform::SystemError error) {
    return error == platform::error::kSuccess ? "" : ": error " + std::to_string(error);
  }

  void Add(Kind kind, std::string text) { log.push_back({kind, std::move(text)}); }

  std::string base_;
  std::vector<std::pair<std::string, platform::SystemError>> copy_faults_;
};

}  // namespace veyra::testing
