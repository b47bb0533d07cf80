#include "platform/result.h"

namespace veyra::platform {

std::string_view OperationName(Operation operation) {
  switch (operation) {
    case Operation::kOpen:
      return "open";
    case Operation::kRead:
      return "read";
    case Operation::kWrite:
      return "write";
    case Operation::kTruncate:
      return "truncate";
    case Operation::kFlush:
      return "flush";
    case Operation::kCopy:
      return "copy";
    case Operation::kMove:
      return "move";
    case Operation::kDelete:
      return "delete";
    case Operation::kCreateFolder:
      return "create folder";
    case Operation::kRemoveFolder:
      return "remove folder";
    case Operation::kList:
      return "list";
    case Operation::kRegistryWrite:
      return "registry write";
    case Operation::kStartProcess:
      return "start";
    case Operation::kLock:
      return "lock";
  }
  return "?";
}

std::string Result::Describe() const {
  if (ok()) return "success";
  return std::string(OperationName(operation_)) + " " + subject_ + ": system error " +
         std::to_string(code_);
}

}  // namespace veyra::platform
