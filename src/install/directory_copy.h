// Copying whole folders of content, and the small window shown meanwhile.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"

namespace veyra::install {

// Copies every plain file (hidden, read-only and system files included, folders
// not) of each item of `source` into `destination` (a folder path ending in a
// backslash), overwriting files of the same name. `source` is one or more
// folder paths, each ending in a backslash (or a pattern such as "...\*.cfg")
// and closed by '>'. Every item is listed before the first file is copied,
// as CopyInWaitWindow does. The first copy that fails ends the whole call, and
// its failure (naming the destination file) is the result. A missing folder,
// or one without files, copies nothing; one that cannot be listed whole ends
// the call before anything is copied, with that failure naming the folder.
// Text after the last '>' is ignored.
platform::Result CopyDirFiles(platform::Os& os, const std::string& source,
                              const std::string& destination);

// True when the folder a one-item source names exists.
[[nodiscard]] bool SourceFolderExists(platform::Os& os, const std::string& source);

// One folder copy of a step: a one-item source as CopyDirFiles takes it, and
// the folder its files go to.
struct FolderCopy {
  std::string source;
  std::string destination;
};

// CopyDirFiles for each folder copy in turn whose source folder exists (a
// missing one is passed over silently); the first file copy that fails ends
// them all and is the result. The work runs beside the message loop, so that
// `window` stays painted and answering; every source is listed before the
// first file is copied, so that its bar shows the files done of the total
// from the start: none, then one more after each file.
platform::Result CopyInWaitWindow(platform::Os& os, platform::WaitWindow& window,
                                  const std::vector<FolderCopy>& copies);

// The file copies CopyInWaitWindow would make for `copies` now, listed as it
// lists them, in order, into `files`; the first listing that fails ends the
// list and is the result (`files` then holds the copies listed before it).
platform::Result ListFolderCopies(platform::Os& os, const std::vector<FolderCopy>& copies,
                                  std::vector<platform::Os::FileCopy>& files);

// Shows the wait window in the language `language` names (German for the
// names model::IsGermanInterface takes, English for any other), with an empty bar, and processes one pending message (or pauses
// 1 ms when none is pending). The window goes when the returned object does.
std::unique_ptr<platform::WaitWindow> ShowWaitWindow(platform::Os& os, const std::string& language);

}  // namespace veyra::install
