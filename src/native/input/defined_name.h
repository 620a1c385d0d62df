#pragma once

#include <string>
#include <string_view>

namespace xls::input {

struct NameCheck {
    bool valid = false;
    std::string reason;  // why the application refuses the name; empty when valid
};

// Whether the application accepts the text as the name of a defined name (Names.Add). It
// refuses:
// - an empty name, or one longer than 255 characters (UTF-16 units, as it counts);
// - a first character other than a letter of any script, '_' or '\';
// - later characters other than those, digits, '.' and '?'; a blank of any kind, since
//   "a b" reads as the intersection of a and b;
// - TRUE and FALSE in any letter case, which a formula reads as the constants;
// - a cell reference in A1 style on the grid of this format (IV65536). Names such as ANS1 or
//   TAX2019 are cells only in the larger grid of later formats; refusing them here would
//   lose the column a list keeps under such a name.
// - R, C, a name that is wholly an R1C1 reference (RC, R1C1, C5R2), or one that begins with
//   R or C and a digit ("R2D2", "C1_FOO"), which R1C1 formulas would read as a reference.
// Non-ASCII characters other than blanks count as letters, as the file format documents, so
// Japanese names such as 担当者 and P_ファイル名 pass.
NameCheck checkDefinedName(std::string_view name);

}  // namespace xls::input
