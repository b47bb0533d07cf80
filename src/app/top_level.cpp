#include "app/top_level.h"

#include <exception>
#include <new>
#include <string>

#include "app/interface_texts.h"
#include "config/file_errors.h"

namespace veyra::app {
namespace {

// The reason as the player reads it: out of memory in the words of the file
// messages, anything else as the exception states it.
std::string Reason(const std::string& language, const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    return config::ErrorLine(config::FileErrorFor(platform::error::kNotEnoughMemory));
  } catch (const std::exception& thrown) {
    return thrown.what();
  } catch (...) {
    return MessageText(language, Message::kUnknownError);
  }
}

}  // namespace

int RunGuarded(platform::Os& os, const std::string& language, const std::function<int()>& work) {
  std::exception_ptr failure;
  try {
    return work();
  } catch (...) {
    failure = std::current_exception();
  }
  // Telling may fail as well when memory is short: the exit code still says it.
  try {
    os.ShowMessage(MessageText(language, Message::kUnexpectedError, {Reason(language, failure)}),
                   MessageText(language, Message::kCaption),
                   platform::mb::kOk | platform::mb::kIconError | platform::mb::kTaskModal);
  } catch (...) {
  }
  return kExitUnexpected;
}

}  // namespace veyra::app
