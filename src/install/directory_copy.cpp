#include "install/directory_copy.h"

#include "config/file_errors.h"
#include "config/text_file.h"
#include "model/control_ids.h"

namespace veyra::install {

platform::Result CopyDirFiles(platform::Os& os, const std::string& source,
                              const std::string& destination) {
  std::string_view remaining = source;
  for (std::size_t end = remaining.find('>'); end != std::string_view::npos;
       end = remaining.find('>')) {
    const std::string item(remaining.substr(0, end));
    remaining.remove_prefix(end + 1);
    const bool is_folder = !item.empty() && (item.back() == '\\' || item.back() == ':');
    // The listing gives plain names; an item that is a pattern ("...\*.cfg")
    // names them in the folder the pattern lies in.
    const std::string folder = item.substr(0, item.find_last_of("\\:") + 1);
    std::vector<platform::DirEntry> entries;
    // A listing cut short must not pass for the whole folder: the content set
    // would be installed in part without a word.
    if (const platform::SystemError code = os.ListDirectory(is_folder ? item + "*.*" : item, entries);
        code != platform::error::kSuccess) {
      return {platform::Operation::kList, item, code};
    }
    std::vector<platform::Os::FileCopy> copies;
    for (const platform::DirEntry& entry : entries) {
      if ((entry.attributes & platform::attribute::kDirectory) != 0) continue;
      copies.push_back({folder + entry.name, destination + entry.name});
    }
    if (platform::Result copied = os.CopyFiles(copies); !copied.ok()) return copied;
  }
  return {};
}

bool SourceFolderExists(platform::Os& os, const std::string& source) {
  std::string folder = source;
  while (!folder.empty() && (folder.back() == '>' || folder.back() == '\\')) folder.pop_back();
  return !folder.empty() && config::FileExists(os, folder);
}

platform::Result GuardedCopy(platform::Os& os, const std::string& source,
                             const std::string& destination) {
  if (!SourceFolderExists(os, source)) return {};
  return CopyDirFiles(os, source, destination);
}

std::unique_ptr<platform::WaitWindow> ShowWaitWindow(platform::Os& os,
                                                     const std::string& language) {
  const bool german = language == "german";
  std::unique_ptr<platform::WaitWindow> window =
      os.OpenWaitWindow(german ? "Kopiere Dateien" : "Copy files",
                        german ? "Bitte warten Sie..." : "Please wait...", model::IDC_WAIT_TEXT);
  if (!os.PumpOneMessage()) os.Sleep(1);
  return window;
}

}  // namespace veyra::install
