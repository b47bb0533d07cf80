#include "install/directory_copy.h"

#include <functional>

#include "config/file_errors.h"
#include "config/text_file.h"
#include "model/control_ids.h"
#include "model/program_state.h"

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

// Every listing comes before the first copy, so that a source that cannot be
// listed whole changes nothing, and the total is known from the start. The
// copies stay in one batch per item, as each item is copied on its own.
struct CopyPlan {
  std::vector<std::vector<platform::Os::FileCopy>> batches;
  std::size_t files = 0;
};

// Adds the copies of every item of `source` to the plan.
platform::Result PlanCopies(platform::Os& os, const std::string& source,
                            const std::string& destination, CopyPlan& plan) {
  for (const std::string& item : Items(source)) {
    plan.batches.emplace_back();
    if (platform::Result listed = ItemCopies(os, item, destination, plan.batches.back());
        !listed.ok()) {
      return listed;
    }
    plan.files += plan.batches.back().size();
  }
  return {};
}

using Progress = std::function<void(std::size_t done, std::size_t total)>;

// Makes the plan's copies in order until the first that fails; `progress`
// learns the files done of all after each.
platform::Result CopyPlanned(platform::Os& os, const CopyPlan& plan, const Progress& progress) {
  std::size_t done = 0;
  for (const std::vector<platform::Os::FileCopy>& batch : plan.batches) {
    if (platform::Result copied =
            os.CopyFiles(batch, [&](std::size_t files) { progress(done + files, plan.files); });
        !copied.ok()) {
      return copied;
    }
    done += batch.size();
  }
  return {};
}

void NoProgress(std::size_t, std::size_t) {}

// The plan of every folder copy whose source folder exists.
platform::Result PlanFolderCopies(platform::Os& os, const std::vector<FolderCopy>& copies,
                                  CopyPlan& plan) {
  for (const FolderCopy& copy : copies) {
    if (!SourceFolderExists(os, copy.source)) continue;
    if (platform::Result planned = PlanCopies(os, copy.source, copy.destination, plan);
        !planned.ok()) {
      return planned;
    }
  }
  return {};
}

}  // namespace

platform::Result CopyDirFiles(platform::Os& os, const std::string& source,
                              const std::string& destination) {
  CopyPlan plan;
  if (platform::Result planned = PlanCopies(os, source, destination, plan); !planned.ok()) {
    return planned;
  }
  return CopyPlanned(os, plan, NoProgress);
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
    CopyPlan plan;
    result = PlanFolderCopies(os, copies, plan);
    if (!result.ok()) return;
    window.ShowProgress(0, plan.files);
    result = CopyPlanned(
        os, plan, [&](std::size_t done, std::size_t total) { window.ShowProgress(done, total); });
  });
  return result;
}

platform::Result ListFolderCopies(platform::Os& os, const std::vector<FolderCopy>& copies,
                                  std::vector<platform::Os::FileCopy>& files) {
  CopyPlan plan;
  const platform::Result planned = PlanFolderCopies(os, copies, plan);
  for (const std::vector<platform::Os::FileCopy>& batch : plan.batches) {
    files.insert(files.end(), batch.begin(), batch.end());
  }
  return planned;
}

std::unique_ptr<platform::WaitWindow> ShowWaitWindow(platform::Os& os,
                                                     const std::string& language) {
  const bool german = model::IsGermanInterface(language);
  std::unique_ptr<platform::WaitWindow> window =
      os.OpenWaitWindow(german ? "Kopiere Dateien" : "Copy files",
                        german ? "Bitte warten Sie..." : "Please wait...", model::IDC_WAIT_TEXT);
  if (!os.PumpOneMessage()) os.Sleep(1);
  return window;
}

}  // namespace veyra::install
