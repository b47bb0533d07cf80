// The INI functions exported for outside callers, called the way such a
// caller does: the configurator loaded as a library, each text argument a
// reference to a length-prefixed 8-bit string.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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

class IniExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryA(ConfiguratorPath().c_str());
    ASSERT_NE(nullptr, module) << "LoadLibrary failed with " << GetLastError();
    get = reinterpret_cast<GetIniData>(reinterpret_cast<void*>(GetProcAddress(module, "GETINIDATA")));
    write = reinterpret_cast<WriteIniData>(
        reinterpret_cast<void*>(GetProcAddress(module, "WRITEINIDATA")));
    remove = reinterpret_cast<DeleteIniData>(
        reinterpret_cast<void*>(GetProcAddress(module, "DELETEINIDATA")));
    ASSERT_TRUE(get && write && remove);
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }

  // VEYRA_EXE, or else the configurator the build put one folder above this program.
  static std::string ConfiguratorPath() {
    if (const char* exe = std::getenv("VEYRA_EXE")) return WindowsPath(exe);
    char self[MAX_PATH];
    std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    path.erase(path.find_last_of('\\'));
    return path.substr(0, path.find_last_of('\\')) + "\\VeyraConfig.exe";
  }

  // A Unix path handed over by the build becomes the drive Wine maps "/" to.
  static std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    return path;
  }

  std::string Get(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& fallback) {
    ByteString f(file), s(section), k(key), d(fallback);
    return TakeByteString(get(f.ref(), s.ref(), k.ref(), d.ref()));
  }
  LONG Write(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value) {
    ByteString f(file), s(section), k(key), v(value);
    return write(f.ref(), s.ref(), k.ref(), v.ref());
  }
  LONG Delete(const std::string& file, const std::string& section, const std::string& key) {
    ByteString f(file), s(section), k(key);
    return remove(f.ref(), s.ref(), k.ref());
  }

  HMODULE module = nullptr;
  GetIniData get = nullptr;
  WriteIniData write = nullptr;
  DeleteIniData remove = nullptr;
  ScratchFolder folder;
};

TEST_F(IniExportsTest, OrdinalsNameTheSameFunctions) {
  EXPECT_EQ(reinterpret_cast<void*>(remove),
            reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(1))));
  EXPECT_EQ(reinterpret_cast<void*>(get),
            reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(2))));
  EXPECT_EQ(reinterpret_cast<void*>(write),
            reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(3))));
}

TEST_F(IniExportsTest, WriteReadAndDeleteKeys) {
  const std::string ini = folder.Join("settings.ini");
  EXPECT_NE(0, Write(ini, "Video", "Width", "1920"));
  EXPECT_NE(0, Write(ini, "Video", "Height", "1080"));
  EXPECT_EQ("1920", Get(ini, "Video", "Width", "none"));

  EXPECT_NE(0, Delete(ini, "Video", "Width"));
  EXPECT_EQ("none", Get(ini, "Video", "Width", "none"));
  EXPECT_EQ("1080", Get(ini, "Video", "Height", "none"));
  const std::string content = ReadFileBytes(ini);
  EXPECT_EQ(std::string::npos, content.find("Width")) << content;
  EXPECT_NE(std::string::npos, content.find("Height=1080")) << content;
}

TEST_F(IniExportsTest, MissingFileSectionOrKeyGivesTheDefaultCutTo149Bytes) {
  const std::string ini = folder.Join("absent.ini");
  EXPECT_EQ("fallback", Get(ini, "Nope", "Nothing", "fallback"));
  const std::string long_default(400, 'd');
  EXPECT_EQ(long_default.substr(0, 149), Get(ini, "Nope", "Nothing", long_default));
  EXPECT_FALSE(PathExists(ini));
}

TEST_F(IniExportsTest, LongTextsAreCutNotOverrun) {
  const std::string ini = folder.Join("long.ini");
  const std::string section(300, 's'), key(300, 'k'), value(1000, 'v');
  EXPECT_NE(0, Write(ini, section, key, value));
  EXPECT_EQ(value.substr(0, 149), Get(ini, section.substr(0, 124), key.substr(0, 124), ""));
  // The name reaches past the cut only in what is dropped, so it reads the same entry.
  EXPECT_EQ(value.substr(0, 149), Get(ini, section, key, ""));
}

}  // namespace
}  // namespace veyra::testing
