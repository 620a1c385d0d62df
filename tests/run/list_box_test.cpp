#include "run/list_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mokuji::os {
namespace {

std::vector<std::string> entries(const run::ListBox& box) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < box.ListCount(); ++i) {
        out.push_back(box.List(i) + (box.Selected(i) ? "*" : ""));
    }
    return out;
}

TEST(SortedListBox, KeepsOrderIgnoringLetterCaseWhateverIsDoneBetweenAdditions) {
    run::ListBox box(true);
    box.AddItem("b.xls");
    box.AddItem("A.xls");
    box.SetSelected(1, true);  // b.xls, now that A.xls sorts first
    box.AddItem("a.XLS");      // equal ignoring case: after the earlier one
    box.AddItem("_x.xls");
    box.AddItem("Ｂ.xls");  // full-width letters sort by their bytes, after ASCII
    EXPECT_EQ(entries(box),
              (std::vector<std::string>{"A.xls", "a.XLS", "b.xls*", "_x.xls", "Ｂ.xls"}));
    box.RemoveItem(0);
    box.AddItem("0.xls");
    box.RemoveItem(0);
    EXPECT_EQ(entries(box), (std::vector<std::string>{"a.XLS", "b.xls*", "_x.xls", "Ｂ.xls"}));

    run::ListBox plain;
    plain.AddItem("b");
    plain.AddItem("a");
    EXPECT_EQ(entries(plain), (std::vector<std::string>{"b", "a"}));
}

}  // namespace
}  // namespace mokuji::os
