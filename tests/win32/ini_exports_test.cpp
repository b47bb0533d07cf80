// The INI functions exported for outside callers, called the way such a
// caller does: the configurator loaded as a library, each text argument a
// reference to a length-prefixed 8-bit string.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "exe/image_fixups.h"
#include "tests/doubles/test_os.h"

namespace veyra::testing {
namespace {

using GetIniData = BSTR(WINAPI*)(BSTR*, BSTR*, BSTR*, BSTR*);
using WriteIniData = LONG(WINAPI*)(BSTR*, BSTR*, BSTR*, BSTR*);
using DeleteIniData = LONG(WINAPI*)(BSTR*, BSTR*, BSTR*);

// An 8-bit text in a BSTR, freed with the object.
class ByteString {
 public:
  explicit ByteString(const std::string& text)
      : bstr_(SysAllocStringByteLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~ByteString() { SysFreeString(bstr_); }
  BSTR* ref() { return &bstr_; }

 private:
  BSTR bstr_;
};

std::string TakeByteString(BSTR result) {
  if (!result) return "(null)";
  std::string text(reinterpret_cast<const char*>(result), SysStringByteLen(result));
  SysFreeString(result);
  return text;
}

// A Unix path handed over by the build becomes the drive Wine maps "/" to.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// VEYRA_EXE, or else the configurator the build put one folder above this program.
std::string ConfiguratorPath() {
  if (const char* exe = std::getenv("VEYRA_EXE")) return WindowsPath(exe);
  char self[MAX_PATH];
  std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  path.erase(path.find_last_of('\\'));
  return path.substr(0, path.find_last_of('\\')) + "\\VeyraConfig.exe";
}

// The configurator loaded as a library with its exports looked up, unloaded
// at destruction. `fresh()` tells that no one had it loaded before, so the
// first call of an export is the first in this image.
class LoadedConfigurator {
 public:
  LoadedConfigurator() {
    const std::string path = ConfiguratorPath();
    fresh_ = GetModuleHandleA(path.c_str()) == nullptr;
    module_ = LoadLibraryA(path.c_str());
    load_error_ = GetLastError();
    if (!module_) return;
    get_ = reinterpret_cast<GetIniData>(Export("GETINIDATA"));
    write_ = reinterpret_cast<WriteIniData>(Export("WRITEINIDATA"));
    delete_ = reinterpret_cast<DeleteIniData>(Export("DELETEINIDATA"));
  }
  ~LoadedConfigurator() {
    if (module_) FreeLibrary(module_);
  }
  LoadedConfigurator(const LoadedConfigurator&) = delete;
  LoadedConfigurator& operator=(const LoadedConfigurator&) = delete;

  // Empty when loaded with every export, else what went wrong.
  std::string Problem() const {
    if (!module_) return "LoadLibrary failed with " + std::to_string(load_error_);
    if (!get_ || !write_ || !delete_) return "an export is missing";
    return "";
  }
  bool fresh() const { return fresh_; }
  HMODULE module() const { return module_; }
  void* Export(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

  std::string Get(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& fallback) const {
    ByteString f(file), s(section), k(key), d(fallback);
    return TakeByteString(get_(f.ref(), s.ref(), k.ref(), d.ref()));
  }
  LONG Write(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value) const {
    ByteString f(file), s(section), k(key), v(value);
    return write_(f.ref(), s.ref(), k.ref(), v.ref());
  }
  LONG Delete(const std::string& file, const std::string& section, const std::string& key) const {
    ByteString f(file), s(section), k(key);
    return delete_(f.ref(), s.ref(), k.ref());
  }

 private:
  HMODULE module_ = nullptr;
  DWORD load_error_ = 0;
  bool fresh_ = false;
  GetIniData get_ = nullptr;
  WriteIniData write_ = nullptr;
  DeleteIniData delete_ = nullptr;
};

std::string FileNames(const std::string& folder) {
  std::string names;
  for (const auto& [name, bytes] : FilesBelow(folder)) names += name + " ";
  return names.empty() ? "none" : names;
}

class IniExportsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ("", exe.Problem()); }

  LoadedConfigurator exe;
  ScratchFolder folder;
};

TEST_F(IniExportsTest, OrdinalsNameTheSameFunctions) {
  EXPECT_EQ(exe.Export("DELETEINIDATA"), exe.Export(MAKEINTRESOURCEA(1)));
  EXPECT_EQ(exe.Export("GETINIDATA"), exe.Export(MAKEINTRESOURCEA(2)));
  EXPECT_EQ(exe.Export("WRITEINIDATA"), exe.Export(MAKEINTRESOURCEA(3)));
}

TEST_F(IniExportsTest, WriteReadAndDeleteKeys) {
  const std::string ini = folder.Join("settings.ini");
  EXPECT_NE(0, exe.Write(ini, "Video", "Width", "1920"));
  EXPECT_NE(0, exe.Write(ini, "Video", "Height", "1080"));
  EXPECT_EQ("1920", exe.Get(ini, "Video", "Width", "none"));

  EXPECT_NE(0, exe.Delete(ini, "Video", "Width"));
  EXPECT_EQ("none", exe.Get(ini, "Video", "Width", "none"));
  EXPECT_EQ("1080", exe.Get(ini, "Video", "Height", "none"));
  const std::string content = ReadFileBytes(ini);
  EXPECT_EQ(std::string::npos, content.find("Width")) << content;
  EXPECT_NE(std::string::npos, content.find("Height=1080")) << content;
}

TEST_F(IniExportsTest, MissingFileSectionOrKeyGivesTheDefaultCutTo149Bytes) {
  const std::string ini = folder.Join("absent.ini");
  EXPECT_EQ("fallback", exe.Get(ini, "Nope", "Nothing", "fallback"));
  const std::string long_default(400, 'd');
  EXPECT_EQ(long_default.substr(0, 149), exe.Get(ini, "Nope", "Nothing", long_default));
  EXPECT_FALSE(PathExists(ini));
}

// A name cut to its buffer would name another file or entry: each of these
// is one byte longer than its buffer keeps, and the entry its cut form names
// exists, so a call that cut it would read, change or delete that entry.
TEST_F(IniExportsTest, OverlongPathSectionOrKeyFailsAndTouchesNothing) {
  const std::string prefix = folder.path() + "\\";
  const std::string suffix = "settings.ini";
  ASSERT_LT(prefix.size() + suffix.size(), 254u) << prefix;
  const std::string long_path =
      prefix + std::string(255 - prefix.size() - suffix.size(), 'p') + suffix;
  const std::string ini = long_path.substr(0, 254);  // "...settings.in"
  const std::string section(124, 's'), key(124, 'k');
  const struct {
    const char* what;
    std::string file, section, key;
  } cases[] = {
      {"path", long_path, section, key},
      {"section", ini, section + "S", key},
      {"key", ini, section, key + "K"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(0, exe.Write(c.file, c.section, c.key, "new"));
    EXPECT_EQ("(null)", exe.Get(c.file, c.section, c.key, "none"));
    EXPECT_EQ(0, exe.Delete(c.file, c.section, c.key));
    EXPECT_EQ("none", FileNames(folder.path()));

    ASSERT_NE(0, exe.Write(ini, section, key, "old")) << "at the limits";
    const std::string content = ReadFileBytes(ini);
    EXPECT_EQ(0, exe.Write(c.file, c.section, c.key, "new"));
    EXPECT_EQ("(null)", exe.Get(c.file, c.section, c.key, "none"));
    EXPECT_EQ(0, exe.Delete(c.file, c.section, c.key));
    EXPECT_EQ(content, ReadFileBytes(ini));
    ASSERT_TRUE(DeleteFileA(ini.c_str())) << GetLastError();
  }
}

// A value is written whole or not at all: part of it would replace the
// caller's data with something else.
TEST_F(IniExportsTest, OverlongValueIsNotWritten) {
  const std::string ini = folder.Join("values.ini");
  const std::string value(149, 'v');
  ASSERT_NE(0, exe.Write(ini, "Values", "Long", value));
  EXPECT_EQ(0, exe.Write(ini, "Values", "Long", value + "w"));
  EXPECT_EQ(0, exe.Write(ini, "Values", "New", value + "w"));
  EXPECT_EQ(value, exe.Get(ini, "Values", "Long", ""));
  EXPECT_EQ("none", exe.Get(ini, "Values", "New", "none"));
}

// Lets two threads go on at the same moment: each spins until both have
// arrived, so neither depends on being woken and both leave within a few
// instructions of each other.
class StartLine {
 public:
  void ArriveAndWait() {
    arrived_.fetch_add(1);
    while (arrived_.load() < 2) YieldProcessor();
  }

 private:
  std::atomic<int> arrived_{0};
};

// The headers of an image loaded in this process.
const IMAGE_NT_HEADERS& NtHeaders(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return *reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

// The addresses the image's relocation table lists that do not point into the
// image (the first few, as "rva: value"), and how many there are. Each is the
// address of something in the image, so one that points elsewhere was
// relocated twice or not at all.
std::string AddressesOutsideImage(HMODULE module, int& count) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto first = reinterpret_cast<ULONG_PTR>(base);
  const ULONG_PTR end = first + NtHeaders(module).OptionalHeader.SizeOfImage;
  const IMAGE_DATA_DIRECTORY& dir =
      NtHeaders(module).OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  std::string listed;
  count = 0;
  for (DWORD offset = 0; offset + sizeof(IMAGE_BASE_RELOCATION) <= dir.Size;) {
    const auto* block =
        reinterpret_cast<const IMAGE_BASE_RELOCATION*>(base + dir.VirtualAddress + offset);
    const auto* entries = reinterpret_cast<const WORD*>(block + 1);
    for (DWORD i = 0; i < (block->SizeOfBlock - sizeof(*block)) / sizeof(WORD); ++i) {
      if (entries[i] >> 12 != IMAGE_REL_BASED_DIR64) continue;
      const DWORD rva = block->VirtualAddress + (entries[i] & 0xFFF);
      ULONG_PTR value;
      std::memcpy(&value, base + rva, sizeof(value));
      if (value >= first && value <= end) continue;
      if (++count <= 3) {
        char line[64];
        std::snprintf(line, sizeof(line), "0x%lx: 0x%llx ", static_cast<unsigned long>(rva),
                      static_cast<unsigned long long>(value));
        listed += line;
      }
    }
    offset += block->SizeOfBlock;
  }
  return listed;
}

// Two threads of a host call the first export of a freshly loaded image at
// the same moment; each must get its own answer and the host must live on.
TEST(IniExportsFirstCallTest, TwoThreadsAtOnceGetTheirAnswers) {
  ScratchFolder folder;
  const std::string ini = folder.Join("race.ini");
  WriteFileBytes(ini, "[Race]\r\nfirst=one\r\nsecond=two\r\n");
  for (int round = 0; round < 100; ++round) {
    const LoadedConfigurator exe;
    ASSERT_EQ("", exe.Problem());
    ASSERT_TRUE(exe.fresh()) << "round " << round << ": the configurator was already loaded";
    StartLine together;
    std::string second;
    std::thread other([&] {
      together.ArriveAndWait();
      second = exe.Get(ini, "Race", "second", "none");
    });
    together.ArriveAndWait();
    const std::string first = exe.Get(ini, "Race", "first", "none");
    other.join();
    ASSERT_EQ("one", first) << "round " << round;
    ASSERT_EQ("two", second) << "round " << round;
    int outside = 0;
    const std::string addresses = AddressesOutsideImage(exe.module(), outside);
    ASSERT_EQ(0, outside) << "round " << round << ": " << addresses;
  }
}

// The protection of each page of each section of an image, by section and
// offset, as VirtualQuery reports it. A write-copy page reads as the plain
// writable page it becomes once written: a page written by the relocations
// is private from then on.
std::vector<std::string> PageProtections(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(&NtHeaders(module));
  std::vector<std::string> pages;
  for (WORD i = 0; i < NtHeaders(module).FileHeader.NumberOfSections; ++i, ++section) {
    const std::string name(reinterpret_cast<const char*>(section->Name),
                           strnlen(reinterpret_cast<const char*>(section->Name), 8));
    const DWORD size =
        section->Misc.VirtualSize ? section->Misc.VirtualSize : section->SizeOfRawData;
    for (DWORD offset = 0; offset < size; offset += 0x1000) {
      MEMORY_BASIC_INFORMATION info = {};
      VirtualQuery(base + section->VirtualAddress + offset, &info, sizeof(info));
      DWORD protection = info.Protect;
      if (protection == PAGE_WRITECOPY) protection = PAGE_READWRITE;
      if (protection == PAGE_EXECUTE_WRITECOPY) protection = PAGE_EXECUTE_READWRITE;
      char line[64];
      std::snprintf(line, sizeof(line), "%s+0x%lx: 0x%lx", name.c_str(),
                    static_cast<unsigned long>(offset), static_cast<unsigned long>(protection));
      pages.push_back(line);
    }
  }
  return pages;
}

TEST(IniExportsFirstCallTest, KeepsEveryPagesProtection) {
  const LoadedConfigurator exe;
  ASSERT_EQ("", exe.Problem());
  ASSERT_TRUE(exe.fresh());
  const std::vector<std::string> before = PageProtections(exe.module());
  ScratchFolder folder;
  EXPECT_EQ("none", exe.Get(folder.Join("absent.ini"), "Section", "Key", "none"));
  const std::vector<std::string> after = PageProtections(exe.module());
  ASSERT_EQ(before.size(), after.size());
  int changed = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] != after[i] && ++changed <= 10) {
      ADD_FAILURE() << "before " << before[i] << ", after " << after[i];
    }
  }
  EXPECT_EQ(0, changed) << "pages whose protection changed, of " << before.size();
}

// An image of four pages built in memory: headers, two pages of addresses
// (one of them across the boundary between the two) and the relocation table.
class RelocatableImage {
 public:
  static constexpr ULONG_PTR kPage = 0x1000;
  static constexpr DWORD kAddresses[] = {0x1010, 0x1ffc, 0x2100};

  RelocatableImage()
      : base_(static_cast<BYTE*>(
            VirtualAlloc(nullptr, 4 * kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base_);
    dos->e_magic = IMAGE_DOS_SIGNATURE;
    dos->e_lfanew = 0x80;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base_ + dos->e_lfanew);
    nt->Signature = IMAGE_NT_SIGNATURE;
    nt->OptionalHeader.SizeOfImage = 4 * kPage;
    const WORD table[] = {0x1000, 0, 12, 0, 0xA010, 0xAFFC,   // page 1: two addresses
                          0x2000, 0, 12, 0, 0xA100, 0x0000};  // page 2: one, and padding
    std::memcpy(base_ + 3 * kPage, table, sizeof(table));
    nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC] = {3 * kPage, sizeof(table)};
    for (DWORD rva : kAddresses) Store(rva, 0x140000000 + rva);
  }
  ~RelocatableImage() { VirtualFree(base_, 0, MEM_RELEASE); }

  BYTE* base() const { return base_; }
  WORD* Entry(int index) const { return reinterpret_cast<WORD*>(base_ + 3 * kPage) + index; }
  ULONG_PTR Load(DWORD rva) const {
    ULONG_PTR value;
    std::memcpy(&value, base_ + rva, sizeof(value));
    return value;
  }
  void Store(DWORD rva, ULONG_PTR value) { std::memcpy(base_ + rva, &value, sizeof(value)); }
  void Protect(const DWORD (&protections)[4]) {
    for (int page = 0; page < 4; ++page) {
      DWORD old;
      VirtualProtect(base_ + page * kPage, kPage, protections[page], &old);
    }
  }
  std::string Protections() const {
    std::string text;
    for (int page = 0; page < 4; ++page) {
      MEMORY_BASIC_INFORMATION info = {};
      VirtualQuery(base_ + page * kPage, &info, sizeof(info));
      text += std::to_string(info.Protect) + " ";
    }
    return text;
  }

 private:
  BYTE* base_;
};

// The page VirtualProtect refuses to change in a test, as a host's policy or
// a failing system call might.
const BYTE* g_refused_page = nullptr;

BOOL WINAPI RefusingProtect(LPVOID address, SIZE_T size, DWORD protection, PDWORD old) {
  if (address == g_refused_page) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return VirtualProtect(address, size, protection, old);
}

TEST(ImageFixupsTest, RelocatesAllPagesOrNoneAndKeepsEachPagesProtection) {
  using platform::win32::ApplyRelocations;
  platform::win32::SystemFunctions system;
  system.query = VirtualQuery;
  system.protect = RefusingProtect;
  system.allocate = VirtualAlloc;
  system.release = VirtualFree;
  constexpr LONG_PTR kDelta = 0x7ff0000;
  // Each page its own protection; the address across the boundary needs both
  // of its pages writable.
  const DWORD protections[4] = {PAGE_READONLY, PAGE_READONLY, PAGE_EXECUTE_READ, PAGE_READONLY};
  const struct {
    int refused_page;  // -1: none
    bool relocated;
  } cases[] = {{-1, true}, {1, false}, {2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refused_page);
    RelocatableImage image;
    image.Protect(protections);
    const std::string before = image.Protections();
    g_refused_page = c.refused_page < 0 ? nullptr : image.base() + c.refused_page * 0x1000;
    EXPECT_EQ(c.relocated, ApplyRelocations(image.base(), kDelta, system));
    g_refused_page = nullptr;
    EXPECT_EQ(before, image.Protections());
    for (DWORD rva : RelocatableImage::kAddresses) {
      EXPECT_EQ(0x140000000 + rva + (c.relocated ? kDelta : 0), image.Load(rva)) << rva;
    }
  }
}

TEST(ImageFixupsTest, MalformedTableChangesNothing) {
  platform::win32::SystemFunctions system;
  system.query = VirtualQuery;
  system.protect = VirtualProtect;
  system.allocate = VirtualAlloc;
  system.release = VirtualFree;
  const struct {
    const char* what;
    int entry;
    WORD value;
  } cases[] = {
      {"a 32-bit entry in a 64-bit image", 11, IMAGE_REL_BASED_HIGHLOW << 12 | 0x200},
      {"a block longer than the table", 8, 200},
      {"an address beyond the image", 6, 0x4000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RelocatableImage image;
    *image.Entry(c.entry) = c.value;
    EXPECT_FALSE(platform::win32::ApplyRelocations(image.base(), 0x10000, system));
    for (DWORD rva : RelocatableImage::kAddresses) EXPECT_EQ(0x140000000 + rva, image.Load(rva));
  }
}

}  // namespace
}  // namespace veyra::testing
