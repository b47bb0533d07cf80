#include "install/directory_copy.h"

#include "config/file_errors.h"
#include "config/text_file.h"
#include "model/control_ids.h"

namespace veyra::install {
namespace {

// The items of a source, each without its closing '>'; text after the last
// '>' is no item.
std::vector<std::string> Items(const std::string& source) {
  std::vector<std::string> items;
  std::string_view remaining = source;
  for (std::size_t end = remaining.find('>'); end != std::string_view::npos;
       end = remaining.find('>')) {
    items.emplace_back(remaining.substr(0, end));
    remaining.remove_prefix(end + 1);
  }
  return items;
}

// The copies of the plain files one item names. A listing cut short must not
// pass for the whole folder: the content set would be installed in part
// without a word.
platform::Result ItemCopies(platform::Os& os, const std::string& item,
                            const std::string& destination,
                            std::vector<platform::Os::FileCopy>& copies) {
  const bool is_folder = !item.empty() && (item.back() == '\\' || item.back() == ':');
  // The listing gives plain names; an item that is a pattern ("...\*.cfg")
  // names them in the folder the pattern lies in.
  const std::string folder = item.substr(0, item.find_last_of("\\:") + 1);
  std::vector<platform::DirEntry> entries;
  if (const platform::SystemError code = os.ListDirectory(is_folder ? item + "*.*" : item, entries);
      code != platform::error::kSuccess) {
    return {platform::Operation::kList, item, code};
  }
  for (const platform::DirEntry& entry : entries) {
    if ((entry.attributes & platform::attribute::kDirectory) != 0) continue;
    copies.push_back({folder + entry.name, destination + entry.name});
  }
  return {};
}

}  // namespace

platform::Result CopyDirFiles(platform::Os& os, const std::string& source,
                              const std::string& destination) {
  for (const std::string& item : Items(source)) {
    std::vector<platform::Os::FileCopy> copies;
    if (platform::Result listed = ItemCopies(os, item, destination, copies); !listed.ok()) {
      return listed;
    }
    if (platform::Result copied = os.CopyFiles(copies, {}); !copied.ok()) return copied;
  }
  return {};
}

bool SourceFolderExists(platform::Os& os, const std::string& source) {
  std::string folder = source;
  while (!folder.empty() && (folder.back() == '>' || folder.back() == '\\')) folder.pop_back();
  return !folder.empty() && config::FileExists(os, folder);
}

platform::Result CopyInWaitWindow(platform::Os& os, platform::WaitWindow& window,
                                  const std::vector<FolderCopy>& copies) {
  platform::Result result;
  os.RunBesideMessageLoop([&] {
    std::vector<std::vector<platform::Os::FileCopy>> batches;
    std::size_t total = 0;
    for (const FolderCopy& copy : copies) {
      if (!SourceFolderExists(os, copy.source)) continue;
      for (const std::string& item : Items(copy.source)) {
        batches.emplace_back();
        result = ItemCopies(os, item, copy.destination, batches.back());
        if (!result.ok()) return;
        total += batches.back().size();
      }
    }
    std::size_t done = 0;
    window.ShowProgress(done, total);
    for (const std::vector<platform::Os::FileCopy>& batch : batches) {
      result = os.CopyFiles(batch, [&](std::size_t files) { window.ShowProgress(done + files, total); });
      if (!result.ok()) return;
      done += batch.size();
    }
  });
  return result;
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
