#include "app/top_level.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::app {
namespace {

// Whatever the work throws ends in one message with the reason and a failing
// exit code; work that returns keeps its own code and shows nothing.
TEST(TopLevelTest, AnExceptionEndsInOneMessageAndAFailingExitCode) {
  const struct {
    const char* name;
    std::function<int()> work;
    int exit_code;
    const char* reason;  // nullptr: no message
  } kCases[] = {
      {"returns", [] { return 2; }, 2, nullptr},
      {"out of memory", []() -> int { throw std::bad_alloc(); }, kExitUnexpected,
       "Error: 7, Out of memory"},
      {"standard exception", []() -> int { throw std::runtime_error("vector::_M_range_check"); },
       kExitUnexpected, "vector::_M_range_check"},
      {"anything else", []() -> int { throw 42; }, kExitUnexpected, "unknown error"},
  };
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::RecordingOs os{*real};
    EXPECT_EQ(c.exit_code, RunGuarded(os, "english", c.work));
    if (!c.reason) {
      EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
      continue;
    }
    ASSERT_EQ(1u, os.messages.size());
    EXPECT_EQ(std::string("The program has to end because of an unexpected error:\r\n") + c.reason +
                  "\r\n\r\nIf it was saving your settings, it offers to undo the unfinished "
                  "change the next time it starts.",
              os.messages[0].text);
    EXPECT_EQ(platform::mb::kOk | platform::mb::kIconError | platform::mb::kTaskModal,
              os.messages[0].flags);
    EXPECT_EQ("Configurator", os.messages[0].caption);
  }
}

// The message follows the interface language the work found out before it failed.
TEST(TopLevelTest, TheUnexpectedErrorIsToldInTheInterfaceLanguage) {
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::RecordingOs os{*real};
  std::string language;
  EXPECT_EQ(kExitUnexpected, RunGuarded(os, language, [&]() -> int {
              language = "german";
              throw 42;
            }));
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_EQ(
      "Das Programm muss wegen eines unerwarteten Fehlers beendet werden:\r\nunbekannter Fehler"
      "\r\n\r\nFalls es gerade Ihre Einstellungen gespeichert hat, bietet es beim nächsten Start "
      "an, die unvollständige Änderung rückgängig zu machen.",
      os.messages[0].text);
  EXPECT_EQ("Konfigurator", os.messages[0].caption);
}

}  // namespace
}  // namespace veyra::app
