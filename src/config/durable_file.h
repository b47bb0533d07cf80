// Files made whole or not at all. Every file the program makes or rewrites
// (the game's text files, the kept contents, the backup lists) is written
// beside its place, flushed to the disk, and only then renamed into place:
// after a failure, a crash or a power cut the file holds its old content or
// its new one, never part of either.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/os.h"

namespace veyra::config {

// Writes the whole new content into `file` (open, created if missing, possibly
// holding a leftover of an earlier try); the first failure is the result.
using ContentWriter = std::function<platform::Result(platform::OpenFile& file)>;

// The writer of `bytes`, written from the first byte with the end set after them.
ContentWriter BytesWriter(std::string_view bytes);

// Writes the whole new content into the file `path` and flushes it. On
// failure `path` is gone.
platform::Result WriteDurably(platform::Os& os, const std::string& path,
                              const ContentWriter& write);

// Writes the new content of `target` into `beside` (a name in the folder the
// rename stays within), flushes it and gives it the name `target`.
// `before_rename` runs just before the rename: a caller that holds `target`
// open closes it there. On failure `target` is as it was and `beside` is gone.
platform::Result ReplaceDurably(platform::Os& os, const std::string& target,
                                const std::string& beside, const ContentWriter& write,
                                const std::function<void()>& before_rename = {});

}  // namespace veyra::config
