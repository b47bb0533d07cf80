// The real backend of the build (Win32 under Wine, posix natively): reads in
// pieces, a volume's free space and the folder lock, checked against what the
// file system library and the test's own files say.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/os.h"
#include "tests/doubles/test_os.h"

namespace veyra::platform {
namespace {

class OsBackendTest : public ::testing::Test {
 protected:
  testing::ScratchFolder folder;
  std::unique_ptr<Os> os = testing::MakeRealOs();
};

// Bytes that repeat nowhere within a file, so a piece read from the wrong
// place cannot pass for the right one.
std::string RandomBytes(std::size_t size) {
  std::mt19937 random(static_cast<std::mt19937::result_type>(size));
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// The file read piece after piece until a read gives nothing; each read
// asks for `piece` bytes at the end of what arrived so far.
std::string ReadInPieces(OpenFile& file, std::size_t piece, SystemError& error) {
  std::string whole;
  std::string buffer(piece, '\0');
  for (;;) {
    std::size_t read = 0;
    error = file.ReadAt(whole.size(), buffer.data(), piece, read);
    if (error != error::kSuccess || read == 0) return whole;
    EXPECT_LE(read, piece);
    whole.append(buffer, 0, read);
  }
}

TEST_F(OsBackendTest, PiecesReadAtTheirOffsetsMakeTheWholeFile) {
  struct Case {
    const char* name;
    std::size_t size;
    std::size_t piece;
  };
  const Case cases[] = {
      {"an empty file", 0, 4096},
      {"a file smaller than a piece", 100, 4096},
      {"a file of exactly one piece", 4096, 4096},
      {"a few megabytes in odd pieces", 3 * 1024 * 1024 + 17, 65537},
      {"single bytes", 61, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.Join(std::string(c.name) + ".bin");
    const std::string bytes = RandomBytes(c.size);
    testing::WriteFileBytes(path, bytes);
    SystemError error;
    const std::unique_ptr<OpenFile> file = os->Open(path, FileAccess::kReadOnly, error);
    ASSERT_TRUE(file) << "open: " << error;
    const std::string whole = ReadInPieces(*file, c.piece, error);
    EXPECT_EQ(0u, error);
    EXPECT_EQ(bytes.size(), whole.size());
    EXPECT_TRUE(whole == bytes) << "the pieces differ from the file";
  }
}

// At the end of the file and past it a read gives nothing, and that is no failure.
TEST_F(OsBackendTest, ReadsAtOrPastTheEndGiveNothing) {
  const std::string path = folder.Join("short.bin");
  testing::WriteFileBytes(path, "0123456789");
  SystemError error;
  const std::unique_ptr<OpenFile> file = os->Open(path, FileAccess::kReadWrite, error);
  ASSERT_TRUE(file) << "open: " << error;
  for (const std::uint64_t offset : {std::uint64_t{10}, std::uint64_t{11}, std::uint64_t{1} << 20}) {
    char buffer[8] = {};
    std::size_t read = 99;
    EXPECT_EQ(0u, file->ReadAt(offset, buffer, sizeof buffer, read)) << "at " << offset;
    EXPECT_EQ(0u, read) << "at " << offset;
  }
  // The reads moved nothing the other requests rely on: an append still goes at the end.
  EXPECT_EQ(0u, file->Append("ab"));
  char buffer[8] = {};
  std::size_t read = 0;
  EXPECT_EQ(0u, file->ReadAt(8, buffer, sizeof buffer, read));
  EXPECT_EQ("89ab", std::string(buffer, read));
}

// Moves of several files into two folders, some replacing a file there, as
// the old contents go into the store: each is made, in order, until one
// fails, which names its destination; what follows it is left alone.
TEST_F(OsBackendTest, MovesOfManyFilesStopAtTheFirstThatFails) {
  const std::string store = folder.Join("store");
  const std::string other = folder.Join("other");
  testing::MakeFolder(store);
  testing::MakeFolder(other);
  testing::WriteFileBytes(store + "\\b", "replaced");
  std::vector<Os::FileMove> moves;
  for (const char* name : {"a", "b", "c"}) {
    testing::WriteFileBytes(folder.Join(name), std::string("content of ") + name);
    moves.push_back({folder.Join(name), store + "\\" + name});
  }
  moves.push_back({folder.Join("d"), other + "\\d"});
  testing::WriteFileBytes(folder.Join("d"), "content of d");
  moves.push_back({folder.Join("missing"), store + "\\missing"});
  testing::WriteFileBytes(folder.Join("e"), "content of e");
  moves.push_back({folder.Join("e"), store + "\\e"});

  std::size_t moved = 99;
  const Result result = os->MoveFilesReplacing(moves, moved);
  EXPECT_EQ(4u, moved);
  EXPECT_EQ(error::kFileNotFound, result.code()) << result.Describe();
  EXPECT_EQ(store + "\\missing", result.subject());
  for (const char* name : {"a", "b", "c"}) {
    EXPECT_EQ(std::string("content of ") + name, testing::ReadFileBytes(store + "\\" + name)) << name;
    EXPECT_FALSE(testing::PathExists(folder.Join(name))) << name;
  }
  EXPECT_EQ("content of d", testing::ReadFileBytes(other + "\\d"));
  EXPECT_EQ("content of e", testing::ReadFileBytes(folder.Join("e"))) << "moved after the failure";
  EXPECT_FALSE(testing::PathExists(store + "\\e"));
}

TEST_F(OsBackendTest, FreeSpaceIsWhatTheFileSystemLibraryReports) {
  // Other programs write on the volume meanwhile: the answer lies between
  // the library's readings before and after it, give or take 64 MiB.
  constexpr std::uintmax_t kSlack = 64u << 20;
  for (const std::string& spelling : {folder.path(), folder.path() + "\\"}) {
    SCOPED_TRACE(spelling);
    const std::uintmax_t before = std::filesystem::space(testing::FileSystemPath(folder.path())).available;
    std::uint64_t bytes = 0;
    EXPECT_EQ(0u, os->FreeSpace(spelling, bytes));
    const std::uintmax_t after = std::filesystem::space(testing::FileSystemPath(folder.path())).available;
    EXPECT_GT(bytes, 0u);
    EXPECT_GE(bytes + kSlack, std::min(before, after)) << "the library: " << before << " and " << after;
    EXPECT_LE(bytes, std::max(before, after) + kSlack) << "the library: " << before << " and " << after;
  }
}

TEST_F(OsBackendTest, FreeSpaceOfAMissingFolderFails) {
  for (const std::string& missing : {folder.Join("missing"), folder.Join("missing\\below")}) {
    std::uint64_t bytes = 0;
    const SystemError error = os->FreeSpace(missing, bytes);
    EXPECT_TRUE(error == error::kFileNotFound || error == error::kPathNotFound)
        << missing << ": " << error;
  }
}

// One holder at a time, however the folder is spelled; the lock is free again
// once its holder lets go, and the locks of two folders are apart.
TEST_F(OsBackendTest, AFolderHasOneLockHolderAtATime) {
  testing::MakeFolder(folder.Join("game\\cfg"));
  testing::MakeFolder(folder.Join("other game"));
  const std::string game = folder.Join("game");
  struct Spelling {
    const char* name;
    std::string path;
  };
  const Spelling spellings[] = {
      {"the same", game},
      {"with a trailing backslash", game + "\\"},
      {"through a subfolder and back", game + "\\cfg\\.."},
  };
  for (const Spelling& second : spellings) {
    SCOPED_TRACE(second.name);
    SystemError error = 99;
    std::unique_ptr<Os::FolderLock> held = os->LockFolder(game, error);
    ASSERT_TRUE(held) << "the first lock: " << error;
    EXPECT_EQ(0u, error);

    error = 0;
    EXPECT_FALSE(os->LockFolder(second.path, error)) << "a second holder";
    EXPECT_EQ(error::kLockViolation, error);
    // Another thread of this process is kept out as well.
    std::thread([&] {
      SystemError elsewhere = 0;
      EXPECT_FALSE(os->LockFolder(second.path, elsewhere)) << "a holder on another thread";
      EXPECT_EQ(error::kLockViolation, elsewhere);
    }).join();

    std::unique_ptr<Os::FolderLock> other = os->LockFolder(folder.Join("other game"), error);
    EXPECT_TRUE(other) << "another folder: " << error;

    held.reset();
    std::unique_ptr<Os::FolderLock> again = os->LockFolder(second.path, error);
    EXPECT_TRUE(again) << "once let go: " << error;
  }
}

TEST_F(OsBackendTest, AMissingFolderCannotBeLocked) {
  for (const std::string& missing : {folder.Join("missing"), folder.Join("missing\\below")}) {
    SystemError error = 0;
    EXPECT_FALSE(os->LockFolder(missing, error)) << missing;
    EXPECT_TRUE(error == error::kFileNotFound || error == error::kPathNotFound)
        << missing << ": " << error;
  }
}

}  // namespace
}  // namespace veyra::platform
