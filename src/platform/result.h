// How a request to the operating system ended: success, or the operation that
// failed, what it concerned (a path, or a registry key and value) and the
// Windows system error code. A result that can carry a failure is never
// dropped silently: the type is [[nodiscard]], and a caller that means to pass
// a failure over says so with Ignore and the reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace veyra::platform {

// A Windows system error code, 0 for success. Whatever returns one may have
// failed, so it is [[nodiscard]]: ignoring it is a build error.
struct [[nodiscard]] SystemError {
  constexpr SystemError(std::uint32_t code = 0) : value(code) {}  // NOLINT: a code is a number
  constexpr operator std::uint32_t() const { return value; }      // NOLINT
  std::uint32_t value;
};

// Windows system error codes the logic names by meaning.
namespace error {
constexpr SystemError kSuccess = 0;
constexpr SystemError kFileNotFound = 2;
constexpr SystemError kPathNotFound = 3;
constexpr SystemError kAccessDenied = 5;
constexpr SystemError kNotEnoughMemory = 8;
constexpr SystemError kWriteFault = 29;
constexpr SystemError kReadFault = 30;
constexpr SystemError kSharingViolation = 32;
constexpr SystemError kLockViolation = 33;
constexpr SystemError kHandleDiskFull = 39;
constexpr SystemError kFileExists = 80;
constexpr SystemError kInvalidParameter = 87;
constexpr SystemError kDiskFull = 112;
constexpr SystemError kInvalidName = 123;
constexpr SystemError kNoMoreFiles = 18;
constexpr SystemError kNotSameDevice = 17;
constexpr SystemError kAlreadyExists = 183;
constexpr SystemError kFolderNotEmpty = 145;
constexpr SystemError kNoUnicodeTranslation = 1113;
// ERROR_CRC: what was read is not what was written.
constexpr SystemError kDataError = 23;
}  // namespace error

constexpr bool IsFailure(SystemError code) { return code.value != error::kSuccess.value; }

enum class Operation {
  kOpen,
  kRead,
  kWrite,
  kTruncate,
  kFlush,
  kCopy,
  kMove,
  kDelete,
  kCreateFolder,
  kRemoveFolder,
  kList,
  kRegistryWrite,
  kStartProcess,
  kLock,
};

// The operation's name as a log line shows it ("copy", "registry write", ...).
std::string_view OperationName(Operation operation);

class [[nodiscard]] Result {
 public:
  // Success.
  Result() = default;
  // Success when `code` is 0, otherwise the failure of `operation` on `subject`.
  Result(Operation operation, std::string subject, SystemError code)
      : operation_(operation), subject_(std::move(subject)), code_(code) {}

  bool ok() const { return code_ == error::kSuccess; }
  Operation operation() const { return operation_; }
  // The path, or the registry key and value name, the operation concerned.
  const std::string& subject() const { return subject_; }
  SystemError code() const { return code_; }

  // "copy C:\Game\bin\d3d9.dll: system error 5", or "success".
  std::string Describe() const;

  // Whether the player has been told of the failure already: whoever passes
  // it on does not tell again.
  bool reported() const { return reported_; }
  Result Reported() const {
    Result copy = *this;
    copy.reported_ = true;
    return copy;
  }

 private:
  Operation operation_ = Operation::kOpen;
  std::string subject_;
  SystemError code_ = error::kSuccess;
  bool reported_ = false;
};

// Passes over a result the behaviour means to leave unexamined; `reason` says
// why, for the reader of the call.
template <typename T>
constexpr void Ignore(const T& /*result*/, std::string_view /*reason*/) {}

}  // namespace veyra::platform
