// The in-memory dialog stands in for the real one in every logic test, so it
// must behave as the real controls do. These tests run against both: the
// in-memory dialog everywhere and, in the Windows build, the real Win32 dialog.
#include <gtest/gtest.h>

#include <functional>

#include "app/dialog_layout.h"
#include "model/control_ids.h"
#include "platform/posix/memory_dialog.h"
#include "tests/doubles/test_os.h"

namespace veyra::platform {
namespace {

using namespace app;
using namespace model;

struct DialogKind {
  const char* name;
  std::function<std::unique_ptr<Dialog>(Os&)> make;

  friend void PrintTo(const DialogKind& kind, std::ostream* out) { *out << kind.name; }
};

class DialogControlsTest : public ::testing::TestWithParam<DialogKind> {
 protected:
  std::unique_ptr<Os> os = testing::MakeRealOs();
  std::unique_ptr<Dialog> dialog = GetParam().make(*os);
};

TEST_P(DialogControlsTest, StartsAsTheLayoutSays) {
  EXPECT_EQ("Configurator", dialog->Caption());
  for (const ControlLayout& control : SettingsDialogLayout().controls) {
    SCOPED_TRACE(control.name);
    EXPECT_EQ(control.text, dialog->Text(control.id));
    EXPECT_FALSE(dialog->IsChecked(control.id));
    EXPECT_TRUE(dialog->IsEnabled(control.id));
    EXPECT_EQ(0, dialog->ItemCount(control.id));
    EXPECT_EQ(0, dialog->Selection(control.id));
  }
}

TEST_P(DialogControlsTest, CheckAndEnabledStatesAreIndependent) {
  dialog->SetChecked(IDC_HPD_STRONGER, true);
  dialog->SetEnabled(IDC_HPD_STRONGER, false);
  EXPECT_TRUE(dialog->IsChecked(IDC_HPD_STRONGER));
  EXPECT_FALSE(dialog->IsEnabled(IDC_HPD_STRONGER));
  dialog->SetChecked(IDC_HPD_STRONGER, false);
  dialog->SetEnabled(IDC_HPD_STRONGER, true);
  EXPECT_FALSE(dialog->IsChecked(IDC_HPD_STRONGER));
  EXPECT_TRUE(dialog->IsEnabled(IDC_HPD_STRONGER));
}

TEST_P(DialogControlsTest, TextsKeepNonAsciiCharacters) {
  const std::string text = "Simulierter Waffenrückstoß ä ö ü ß Ä";
  dialog->SetText(IDC_RECOIL, text);
  dialog->SetCaption("Konfigurator ü");
  EXPECT_EQ(text, dialog->Text(IDC_RECOIL));
  EXPECT_EQ("Konfigurator ü", dialog->Caption());
  dialog->AddItem(IDC_SWEETFX_PRESET, "Ölfarben");
  EXPECT_EQ("Ölfarben", dialog->ItemText(IDC_SWEETFX_PRESET, 1));
}

TEST_P(DialogControlsTest, ListsCountFromOneAndRejectItemsTheyLack) {
  EXPECT_EQ("", dialog->ItemText(IDC_SWEETFX_PRESET, 1));
  dialog->Select(IDC_SWEETFX_PRESET, 1);  // item 1 of an empty list
  EXPECT_EQ(0, dialog->Selection(IDC_SWEETFX_PRESET));

  for (const char* item : {"one", "two", "three"}) dialog->AddItem(IDC_SWEETFX_PRESET, item);
  EXPECT_EQ(3, dialog->ItemCount(IDC_SWEETFX_PRESET));
  EXPECT_EQ("one", dialog->ItemText(IDC_SWEETFX_PRESET, 1));
  EXPECT_EQ("three", dialog->ItemText(IDC_SWEETFX_PRESET, 3));
  EXPECT_EQ("", dialog->ItemText(IDC_SWEETFX_PRESET, 4));

  dialog->Select(IDC_SWEETFX_PRESET, 3);
  EXPECT_EQ(3, dialog->Selection(IDC_SWEETFX_PRESET));
  dialog->Select(IDC_SWEETFX_PRESET, 4);
  EXPECT_EQ(0, dialog->Selection(IDC_SWEETFX_PRESET));
  dialog->Select(IDC_SWEETFX_PRESET, 2);
  dialog->Select(IDC_SWEETFX_PRESET, 0);
  EXPECT_EQ(0, dialog->Selection(IDC_SWEETFX_PRESET));
}

TEST_P(DialogControlsTest, RemovingAndInsertingItemsMovesTheSelectionWithItsItem) {
  for (const char* item : {"a", "b", "c", "d"}) dialog->AddItem(IDC_BLOOM_LEVEL, item);
  dialog->Select(IDC_BLOOM_LEVEL, 3);  // "c"
  dialog->RemoveItem(IDC_BLOOM_LEVEL, 1);
  EXPECT_EQ(2, dialog->Selection(IDC_BLOOM_LEVEL));
  EXPECT_EQ("c", dialog->ItemText(IDC_BLOOM_LEVEL, dialog->Selection(IDC_BLOOM_LEVEL)));
  dialog->InsertItem(IDC_BLOOM_LEVEL, 1, "new");
  EXPECT_EQ(3, dialog->Selection(IDC_BLOOM_LEVEL));
  EXPECT_EQ("c", dialog->ItemText(IDC_BLOOM_LEVEL, 3));
  dialog->InsertItem(IDC_BLOOM_LEVEL, 5, "end");  // just past the last item
  EXPECT_EQ("end", dialog->ItemText(IDC_BLOOM_LEVEL, 5));
  EXPECT_EQ(3, dialog->Selection(IDC_BLOOM_LEVEL));
  dialog->RemoveItem(IDC_BLOOM_LEVEL, 3);  // the selected item itself
  EXPECT_EQ(0, dialog->Selection(IDC_BLOOM_LEVEL));
  EXPECT_EQ(4, dialog->ItemCount(IDC_BLOOM_LEVEL));
}

INSTANTIATE_TEST_SUITE_P(
    Backends, DialogControlsTest,
    ::testing::Values(DialogKind{"Memory",
                                 [](Os&) -> std::unique_ptr<Dialog> {
                                   return std::make_unique<MemoryDialog>(SettingsDialogLayout());
                                 }},
                      DialogKind{"RealBackend",
                                 [](Os& os) { return os.CreateHiddenDialog(SettingsDialogLayout()); }}),
    [](const ::testing::TestParamInfo<DialogKind>& info) { return info.param.name; });

}  // namespace
}  // namespace veyra::platform
