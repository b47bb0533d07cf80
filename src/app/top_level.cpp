#include "app/top_level.h"

#include <exception>
#include <new>
#include <string>

#include "config/file_errors.h"

namespace veyra::app {
namespace {

// The reason as the player reads it: out of memory in the words of the file
// messages, anything else as the exception states it.
std::string Reason(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    return config::ErrorLine(config::FileErrorFor(platform::error::kNotEnoughMemory));
  } catch (const std::exception& thrown) {
    return thrown.what();
  } catch (...) {
    return "unknown error";
  }
}

}  // namespace

int RunGuarded(platform::Os& os, const std::function<int()>& work) {
  std::exception_ptr failure;
  try {
    return work();
  } catch (...) {
    failure = std::current_exception();
  }
  // Telling may fail as well when memory is short: the exit code still says it.
  try {
    os.ShowMessage("The program has to end because of an unexpected error:\r\n" +
                       Reason(failure) +
                       "\r\n\r\nIf it was saving your settings, it offers to undo the unfinished "
                       "change the next time it starts.",
                   "", platform::mb::kOk | platform::mb::kIconError | platform::mb::kTaskModal);
  } catch (...) {
  }
  return kExitUnexpected;
}

}  // namespace veyra::app
