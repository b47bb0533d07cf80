#include "install/directory_copy.h"

#include <gtest/gtest.h>

#include <map>

#include "config/file_errors.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/operation_log_os.h"
#include "tests/doubles/test_os.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/win32/wide_text.h"
#else
#include <sys/stat.h>

#include "platform/posix/posix_os.h"
#endif

namespace veyra::install {
namespace {

using Kind = testing::OperationLogOs::Kind;
namespace error = platform::error;

// Hidden files are dot-files for the posix backend (as for Wine); on Windows
// the attribute is set as well.
void SetAttributes(const std::string& path, bool read_only, bool hidden) {
#ifdef _WIN32
  SetFileAttributesW(platform::win32::WidePath(path).c_str(),
                     (read_only ? FILE_ATTRIBUTE_READONLY : 0) |
                         (hidden ? FILE_ATTRIBUTE_HIDDEN : 0) |
                         (read_only || hidden ? 0 : FILE_ATTRIBUTE_NORMAL));
#else
  (void)hidden;
  chmod(platform::posix::NativePath(path).c_str(), read_only ? 0444 : 0644);
#endif
}

class DirectoryCopyTest : public ::testing::Test {
 protected:
  // A folder `name` below the scratch folder holding `files` (name -> bytes).
  std::string Folder(const std::string& name, const std::map<std::string, std::string>& files) {
    const std::string path = scratch.Join(name);
    testing::MakeFolder(path);
    for (const auto& [file, bytes] : files) testing::WriteFileBytes(path + "\\" + file, bytes);
    return path + "\\";
  }

  // The plain files of a folder with their bytes.
  std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const platform::DirEntry& entry : testing::Listed(*real, folder + "*")) {
      if ((entry.attributes & platform::attribute::kDirectory) == 0) {
        files[entry.name] = testing::ReadFileBytes(folder + entry.name);
      }
    }
    return files;
  }

  // The plain file names of a folder in the order the platform lists them.
  std::vector<std::string> ListedNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const platform::DirEntry& entry : testing::Listed(*real, folder + "*.*")) {
      if ((entry.attributes & platform::attribute::kDirectory) == 0) names.push_back(entry.name);
    }
    return names;
  }

  std::vector<std::string> FileOperations() const { return os.Lines({Kind::kFind, Kind::kList}); }

  std::string Shown(const std::string& path) const { return os.Show(path); }

  testing::ScratchFolder scratch;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::OperationLogOs os{*real, scratch.path()};
};

const std::map<std::string, std::string> kThreeFiles = {
    {"a.vmt", "first\r\n"}, {"b.vtf", std::string("\0\1\2binary", 9)}, {"c", "no extension"}};

TEST_F(DirectoryCopyTest, CopiesThePlainFilesOfAFolderAndNothingBelowIt) {
  const std::string source = Folder("src", kThreeFiles);
  Folder("src\\sub", {{"inner.txt", "below"}});
  const std::string destination = Folder("dst", {});

  EXPECT_EQ(0, config::FileErrorNumber(CopyDirFiles(os, source + ">", destination)));
  EXPECT_EQ(kThreeFiles, Files(destination));
  EXPECT_FALSE(testing::PathExists(destination + "sub"));
  EXPECT_EQ(std::vector<std::string>{"list " + Shown(source) + "*.*"}, os.Lines({Kind::kFile}));
}

TEST_F(DirectoryCopyTest, HiddenAndReadOnlyFilesAreCopiedLikeAnyOther) {
  const std::string source =
      Folder("src", {{".hidden.cfg", "hidden"}, {"locked.cfg", "read-only"}, {"plain.cfg", "x"}});
  SetAttributes(source + ".hidden.cfg", false, true);
  SetAttributes(source + "locked.cfg", true, false);
  const std::string destination = Folder("dst", {});
  std::map<std::string, std::uint32_t> attributes;
  for (const platform::DirEntry& entry : testing::Listed(*real, source + "*")) {
    attributes[entry.name] = entry.attributes;
  }
  ASSERT_NE(0u, attributes[".hidden.cfg"] & platform::attribute::kHidden)
      << attributes[".hidden.cfg"];
  ASSERT_NE(0u, attributes["locked.cfg"] & platform::attribute::kReadOnly)
      << attributes["locked.cfg"];

  const int result = config::FileErrorNumber(CopyDirFiles(os, source + ">", destination));
  const std::map<std::string, std::string> copied = Files(destination);
  for (const std::string& folder : {source, destination}) {
    SetAttributes(folder + ".hidden.cfg", false, false);
    SetAttributes(folder + "locked.cfg", false, false);
  }
  EXPECT_EQ(0, result);
  EXPECT_EQ(Files(source), copied);
}

TEST_F(DirectoryCopyTest, ReplacesAFileOfTheSameNameWhole) {
  const std::string source = Folder("src", {{"skill.cfg", "new"}});
  const std::string destination =
      Folder("dst", {{"skill.cfg", "an older and much longer text"}, {"other.cfg", "kept"}});

  EXPECT_EQ(0, config::FileErrorNumber(CopyDirFiles(os, source + ">", destination)));
  EXPECT_EQ((std::map<std::string, std::string>{{"skill.cfg", "new"}, {"other.cfg", "kept"}}),
            Files(destination));
}

TEST_F(DirectoryCopyTest, FirstFailedCopyEndsTheCallWithItsErrorNumber) {
  const struct {
    platform::SystemError code;
    int number;
  } kFailures[] = {{error::kAccessDenied, 70}, {error::kSharingViolation, 70},
                   {error::kDiskFull, 61},     {error::kPathNotFound, 76},
                   {error::kWriteFault, 72},   {1450, 75}};
  const std::string source = Folder("src", kThreeFiles);
  const std::string second_source = Folder("src2", {{"later.cfg", "never copied"}});
  const std::vector<std::string> order = ListedNames(source);
  ASSERT_EQ(3u, order.size());

  for (const auto& failure : kFailures) {
    testing::ScratchFolder target;
    const std::string destination = target.path() + "\\";
    testing::OperationLogOs failing{*real, scratch.path()};
    failing.FailCopiesTo(destination + order[1], failure.code);

    const platform::Result result =
        CopyDirFiles(failing, source + ">" + second_source + ">", destination);
    EXPECT_EQ(failure.number, config::FileErrorNumber(result)) << result.Describe();
    // The failure names the copy that failed and the file it could not write.
    EXPECT_EQ(platform::Operation::kCopy, result.operation()) << result.Describe();
    EXPECT_EQ(destination + order[1], result.subject());
    // The copy before the failure stays; nothing after it is tried.
    EXPECT_EQ((std::map<std::string, std::string>{{order[0], kThreeFiles.at(order[0])}}),
              Files(destination))
        << "system error " << failure.code;
    EXPECT_EQ(2u, failing.Lines({Kind::kFind, Kind::kList}).size())
        << "system error " << failure.code;
  }
}

// A listing that fails, at once or after some entries, is no end of the
// folder: nothing of it is copied, no later item is tried, and the failure
// names the folder with the listing's error.
TEST_F(DirectoryCopyTest, AFailedListingEndsTheCallWithItsError) {
  const std::string source = Folder("src", kThreeFiles);
  const std::string second_source = Folder("src2", {{"later.cfg", "never copied"}});
  for (const platform::SystemError code : {error::kAccessDenied, platform::SystemError(59)}) {
    testing::ScratchFolder target;
    testing::FaultInjectingOs failing{*real};
    failing.Inject({platform::Operation::kList, code, "src"});
    const platform::Result result =
        CopyDirFiles(failing, source + ">" + second_source + ">", target.path() + "\\");
    EXPECT_EQ(platform::Operation::kList, result.operation()) << result.Describe();
    EXPECT_EQ(source, result.subject());
    EXPECT_EQ(code, result.code()) << result.Describe();
    EXPECT_EQ(0, failing.CallCount(platform::Operation::kCopy)) << result.Describe();
    EXPECT_EQ(1, failing.CallCount(platform::Operation::kList)) << result.Describe();
    EXPECT_TRUE(Files(target.path() + "\\").empty());
  }
}

TEST_F(DirectoryCopyTest, MissingDestinationFolderFailsTheFirstCopy) {
  const std::string source = Folder("src", kThreeFiles);
  const std::string destination = scratch.Join("missing\\");

  EXPECT_EQ(76, config::FileErrorNumber(CopyDirFiles(os, source + ">", destination)));
  EXPECT_EQ(1u, FileOperations().size()) << ::testing::PrintToString(FileOperations());
  EXPECT_FALSE(testing::PathExists(destination));
}

TEST_F(DirectoryCopyTest, MissingOrEmptySourceCopiesNothingAndSucceeds) {
  const std::string destination = Folder("dst", {{"kept.cfg", "kept"}});
  for (const std::string& source : {scratch.Join("missing\\"), Folder("empty", {})}) {
    EXPECT_EQ(0, config::FileErrorNumber(CopyDirFiles(os, source + ">", destination))) << source;
  }
  EXPECT_EQ(std::vector<std::string>{}, FileOperations());
  EXPECT_EQ((std::map<std::string, std::string>{{"kept.cfg", "kept"}}), Files(destination));
}

TEST_F(DirectoryCopyTest, SeveralItemsAreCopiedInTheirOrder) {
  const std::string first = Folder("first", {{"shared.cfg", "first"}, {"one.cfg", "1"}});
  const std::string second = Folder("second", {{"shared.cfg", "second"}, {"two.cfg", "2"}});
  const std::string destination = Folder("dst", {});

  EXPECT_EQ(0,
            config::FileErrorNumber(CopyDirFiles(os, first + ">" + second + ">", destination)));
  EXPECT_EQ((std::map<std::string, std::string>{
                {"shared.cfg", "second"}, {"one.cfg", "1"}, {"two.cfg", "2"}}),
            Files(destination));
  EXPECT_EQ(
      (std::vector<std::string>{"list " + Shown(first) + "*.*", "list " + Shown(second) + "*.*"}),
      os.Lines({Kind::kFile}));
}

TEST_F(DirectoryCopyTest, AnItemThatIsAPatternCopiesItsMatchesFromItsFolder) {
  const std::string source = Folder("src", {{"a.cfg", "a"}, {"b.cfg", "b"}, {"c.txt", "c"}});
  const std::string destination = Folder("dst", {});

  EXPECT_EQ(0, config::FileErrorNumber(CopyDirFiles(os, source + "*.cfg>", destination)));
  EXPECT_EQ((std::map<std::string, std::string>{{"a.cfg", "a"}, {"b.cfg", "b"}}),
            Files(destination));
}

TEST_F(DirectoryCopyTest, IncompleteItemsAreNotCopiedAndTheCallEnds) {
  const std::string source = Folder("src", {{"a.cfg", "a"}});
  const std::string other = Folder("other", {{"b.cfg", "b"}});
  const struct {
    std::string items;
    std::map<std::string, std::string> copied;
  } kCases[] = {
      {"", {}},
      {source, {}},
      {source + ">" + other, {{"a.cfg", "a"}}},
      {source + ">tail", {{"a.cfg", "a"}}},
  };
  for (const auto& test : kCases) {
    testing::ScratchFolder target;
    EXPECT_EQ(0, config::FileErrorNumber(CopyDirFiles(os, test.items, target.path() + "\\")))
        << test.items;
    EXPECT_EQ(test.copied, Files(target.path() + "\\")) << test.items;
  }
}

TEST_F(DirectoryCopyTest, SourceAsItsOwnDestinationLeavesTheFolderAsItWas) {
  const std::string folder = Folder("src", kThreeFiles);
  platform::Ignore(CopyDirFiles(os, folder + ">", folder),
                   "whether the copy fails or rewrites the same bytes, the folder must not change");
  EXPECT_EQ(kThreeFiles, Files(folder));
}

// Beside the message loop: every source folder is tested (without its marker)
// and listed, a missing one passed over; then the files are copied, the bar
// showing how many are done of all, until the first copy that fails.
TEST_F(DirectoryCopyTest, CopyInWaitWindowListsEverySourceFirstAndCountsTheFilesDone) {
  const std::string sprites = Folder("set\\sprites", {{"glow.vmt", "glow"}, {"flare.vmt", "flare"}});
  const std::string missing = scratch.Join("set\\missing\\");
  const std::string maps = Folder("set\\maps", {{"coast.bsp", "coast"}});
  const std::string destination = Folder("dst", {});
  std::vector<std::string> names;
  for (const std::string& name : ListedNames(sprites)) names.push_back("sprites\\" + name);
  names.push_back("maps\\coast.bsp");

  for (const std::size_t failing : {names.size(), std::size_t{1}}) {
    testing::OperationLogOs log{*real, scratch.path()};
    std::string fails_at = "none";
    if (failing < names.size()) {
      fails_at = names[failing];
      log.FailCopiesTo(fails_at.substr(fails_at.find('\\')), error::kSharingViolation);
    }
    auto window = log.OpenWaitWindow("Copy files", "Please wait...", 1035);
    const platform::Result copied = CopyInWaitWindow(
        log, *window, {{sprites + ">", destination}, {missing + ">", destination}, {maps + ">", destination}});

    std::vector<std::string> expected{"wait window \"Copy files\" \"Please wait...\" label 1035",
                                      "work begins beside the message loop",
                                      "find BASE\\set\\sprites: yes",
                                      "list BASE\\set\\sprites\\*.*",
                                      "find BASE\\set\\missing: no",
                                      "find BASE\\set\\maps: yes",
                                      "list BASE\\set\\maps\\*.*",
                                      "progress 0 of 3"};
    for (std::size_t i = 0; i < names.size() && i <= failing; ++i) {
      const std::string name = names[i].substr(names[i].find('\\') + 1);
      expected.push_back("copy BASE\\set\\" + names[i] + " -> BASE\\dst\\" + name +
                         (i == failing ? ": error 32" : ""));
      if (i != failing) expected.push_back("progress " + std::to_string(i + 1) + " of 3");
    }
    expected.push_back("work ends");
    EXPECT_EQ(expected, log.Lines({Kind::kFileContent})) << "failing at " << fails_at;
    EXPECT_EQ(failing < names.size() ? error::kSharingViolation : error::kSuccess, copied.code())
        << "failing at " << fails_at;
  }
}

// German for both names of the German interface, as every other text of the
// program, so that a wait window outside the apply phase (which maps the
// language names first) speaks the language of the messages around it.
TEST_F(DirectoryCopyTest, WaitWindowSpeaksGermanOnlyForTheGermanInterface) {
  const struct {
    const char* language;
    const char* caption;
    const char* label;
  } kCases[] = {
      {"german", "Kopiere Dateien", "Bitte warten Sie..."},
      {"deutsch", "Kopiere Dateien", "Bitte warten Sie..."},
      {"english", "Copy files", "Please wait..."},
      {"German", "Copy files", "Please wait..."},
      {"french", "Copy files", "Please wait..."},
      {"", "Copy files", "Please wait..."},
  };
  for (const auto& test : kCases) {
    testing::OperationLogOs shown{*real, ""};
    ShowWaitWindow(shown, test.language);
    EXPECT_EQ((std::vector<std::string>{std::string("wait window \"") + test.caption + "\" \"" +
                                            test.label + "\" label 1035",
                                        "pump: none", "sleep 1", "wait window closed"}),
              shown.Lines())
        << test.language;
  }
}

TEST_F(DirectoryCopyTest, WaitWindowTakesOnePendingMessageInsteadOfPausing) {
  os.pending_messages = 2;
  {
    auto window = ShowWaitWindow(os, "english");
    os.Sleep(7);  // the step's work runs while the window is shown
  }
  EXPECT_EQ((std::vector<std::string>{"wait window \"Copy files\" \"Please wait...\" label 1035",
                                      "pump: message", "sleep 7", "wait window closed"}),
            os.Lines());
  EXPECT_EQ(1, os.pending_messages);
}

}  // namespace
}  // namespace veyra::install
