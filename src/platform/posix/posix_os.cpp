#include "platform/posix/posix_os.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/posix/memory_dialog.h"

namespace veyra::platform::posix {
namespace {

class NoWaitWindow : public WaitWindow {
 public:
  void ShowProgress(std::size_t, std::size_t) override {}
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

SystemError ToSystemError(int errno_value) {
  switch (errno_value) {
    case 0: return error::kSuccess;
    case ENOENT: return error::kFileNotFound;
    case ENOTDIR: return error::kPathNotFound;
    case EACCES: case EPERM: case EISDIR: case EROFS: return error::kAccessDenied;
    case EMFILE: case ENFILE: return 4;  // too many open files
    case ENOMEM: return error::kNotEnoughMemory;
    case ENOSPC: case EDQUOT: return error::kDiskFull;
    case EEXIST: return error::kFileExists;
    case EINVAL: return error::kInvalidParameter;
    case ENAMETOOLONG: return 206;  // filename or extension too long
    case EBUSY: case ETXTBSY: return error::kSharingViolation;
    case EIO: return error::kReadFault;
    case EXDEV: return error::kNotSameDevice;
    case ENOTEMPTY: return error::kFolderNotEmpty;
    default: return 31;  // a device attached to the system is not functioning
  }
}

std::string NativePath(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

PosixOs::PosixOs(std::string current_directory, std::vector<std::string> arguments)
    : current_directory_(std::move(current_directory)), arguments_(std::move(arguments)) {}

std::optional<std::string> PosixOs::CurrentDirectory() {
  if (!current_directory_.empty()) return current_directory_;
  char* cwd = getcwd(nullptr, 0);
  if (!cwd) return std::nullopt;
  std::string result = cwd;
  std::free(cwd);
  return result;
}

std::optional<RegistryValue> PosixOs::RegistryReadValue(std::uint32_t root, const std::string& key,
                                                        const std::string& value_name) {
  auto found_key = registry_.find(std::to_string(root) + "\\" + Lower(key));
  if (found_key == registry_.end()) return std::nullopt;
  auto found_value = found_key->second.find(Lower(value_name));
  if (found_value == found_key->second.end()) return std::nullopt;
  return found_value->second;
}

SystemError PosixOs::RegistryWriteValue(std::uint32_t root, const std::string& key,
                                        const std::string& value_name, const RegistryValue& value) {
  registry_[std::to_string(root) + "\\" + Lower(key)][Lower(value_name)] = value;
  return error::kSuccess;
}

SystemError PosixOs::RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                         const std::string& value_name) {
  auto found_key = registry_.find(std::to_string(root) + "\\" + Lower(key));
  if (found_key == registry_.end() || found_key->second.erase(Lower(value_name)) == 0) {
    return error::kFileNotFound;
  }
  return error::kSuccess;
}

void PosixOs::RegistryDeleteKey(std::uint32_t root, const std::string& key) {
  const std::string prefix = std::to_string(root) + "\\" + Lower(key);
  std::erase_if(registry_, [&](const auto& entry) {
    return entry.first == prefix || entry.first.rfind(prefix + "\\", 0) == 0;
  });
}

void PosixOs::RegistrySetValue(std::uint32_t root, const std::string& key,
                               const std::string& value_name, const std::string& data) {
  Ignore(RegistryWriteValue(root, key, value_name, {kRegistryString, data}),
         "the in-memory registry cannot fail");
}

std::unique_ptr<Dialog> PosixOs::CreateHiddenDialog(const DialogLayout& layout) {
  return std::make_unique<MemoryDialog>(layout);
}

std::unique_ptr<WaitWindow> PosixOs::OpenWaitWindow(const std::string&, const std::string&, int) {
  return std::make_unique<NoWaitWindow>();
}

int PosixOs::ShowMessage(const std::string& text, const std::string& caption, std::uint32_t) {
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  return mb::kIdOk;
}

void PosixOs::Sleep(std::uint32_t milliseconds) {
  timespec delay{static_cast<time_t>(milliseconds / 1000),
                 static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
  }
}

std::optional<std::vector<ProcessEntry>> PosixOs::ProcessSnapshot() {
  std::vector<ProcessEntry> processes;
  DIR* proc = opendir("/proc");
  if (!proc) return std::nullopt;
  while (const dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const unsigned long pid = std::strtoul(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0') continue;
    std::FILE* comm = std::fopen(("/proc/" + std::string(entry->d_name) + "/comm").c_str(), "r");
    if (!comm) continue;
    char name[256] = {};
    if (std::fgets(name, sizeof(name), comm)) {
      std::string exe = name;
      if (!exe.empty() && exe.back() == '\n') exe.pop_back();
      processes.push_back({static_cast<std::uint32_t>(pid), exe});
    }
    std::fclose(comm);
  }
  closedir(proc);
  return processes;
}

SystemError PosixOs::StartProcess(const std::string&, const std::string&, const std::string&) {
  return error::kFileNotFound;  // the native build starts no Windows programs
}

LocalTime PosixOs::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::uint16_t PosixOs::UserInterfaceLanguage() {
  constexpr std::uint16_t kGerman = 0x0407;
  constexpr std::uint16_t kEnglish = 0x0409;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    const std::string_view locale(value);
    return locale == "de" || locale.starts_with("de_") || locale.starts_with("de.") ? kGerman
                                                                                     : kEnglish;
  }
  return kEnglish;
}

bool PosixOs::WriteToParentConsole(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

void PosixOs::Terminate(int exit_code) { std::_Exit(exit_code); }

}  // namespace veyra::platform::posix
