#include "app/dialog_layout.h"

#include <gtest/gtest.h>

#include <set>

namespace veyra::app {
namespace {

using platform::ControlKind;
using platform::ControlLayout;

TEST(DialogLayoutTest, SixtyOneControlsWithDistinctIdsAndNames) {
  const auto& controls = SettingsDialogLayout().controls;
  std::set<int> ids;
  std::set<std::string> names;
  for (const ControlLayout& control : controls) {
    EXPECT_TRUE(ids.insert(control.id).second) << control.name;
    EXPECT_TRUE(names.insert(control.name).second) << control.name;
  }
  EXPECT_EQ(61u, controls.size());
}

TEST(DialogLayoutTest, EveryControlLiesInsideTheDialog) {
  const platform::DialogLayout& dialog = SettingsDialogLayout();
  for (const ControlLayout& control : dialog.controls) {
    // A drop-down list's height is that of its opened list, which may reach beyond.
    const int bottom = control.kind == ControlKind::kDropDownList ? control.y : control.y + control.height;
    EXPECT_LE(control.x + control.width, dialog.width) << control.name;
    EXPECT_LE(bottom, dialog.height) << control.name;
  }
}

TEST(DialogLayoutTest, EmptyFramesEncloseOneRowOfOptionsEach) {
  for (const ControlLayout& frame : SettingsDialogLayout().controls) {
    if (std::string(frame.name).rfind("IDC_RULE_", 0) != 0) continue;
    SCOPED_TRACE(frame.name);
    EXPECT_EQ(20, frame.height);
    EXPECT_STREQ("", frame.text);
    int boxes_in_row = 0;
    for (const ControlLayout& box : SettingsDialogLayout().controls) {
      const bool inside = box.x >= frame.x && box.x + box.width <= frame.x + frame.width;
      if (box.kind == ControlKind::kCheckBox && box.y == frame.y + 5 && inside) ++boxes_in_row;
    }
    EXPECT_GE(boxes_in_row, 2);
  }
}

TEST(DialogLayoutTest, OnlyTheDescriptionLabelsAreGrey) {
  int grey = 0;
  for (const ControlLayout& control : SettingsDialogLayout().controls) {
    if (!control.grey_text) continue;
    ++grey;
    EXPECT_EQ(ControlKind::kLabel, control.kind) << control.name;
    EXPECT_NE(std::string::npos, std::string(control.name).find("_TEXT")) << control.name;
  }
  EXPECT_EQ(6, grey);
}

}  // namespace
}  // namespace veyra::app
