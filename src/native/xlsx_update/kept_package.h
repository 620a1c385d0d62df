#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace xls::xlsx_update {

// A zip-based workbook as it was read for editing: its bytes, and what
// tells which of its parts the model's changes reach. Saving writes every
// other part back byte for byte.
struct KeptPackage {
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    std::string workbookPart;  // "xl/workbook.xml"
    std::string stylesPart;    // "" when the package has none

    struct SheetOrigin {
        std::string name;
        std::string part;  // "" for a sheet whose cells the model does not hold
        // The sheet's elements as the model wrote them when it was read:
        // unchanged, the part is kept as it is.
        std::array<std::uint8_t, 20> digest{};
        // The part holds what the model cannot (cells past its grid): it
        // cannot be written anew without losing them.
        bool beyondTheModel = false;
        // Cells read with a formula, by row and column: the <f> element
        // and the value the cell was read with. Written anew, a cell that
        // still holds that value keeps its formula.
        struct Formula {
            std::string element;
            std::uint8_t kind = 0;  // book::Cell::Kind
            double number = 0;
            std::string text;
            std::uint8_t code = 0;
        };
        std::map<std::pair<std::uint32_t, std::uint32_t>, Formula> formulas;
    };
    std::vector<SheetOrigin> sheets;

    // Cell format of the model -> the package's cellXfs index, for those
    // that came from the package; later ones are added to its styles.
    std::vector<std::uint32_t> cellXfOfStyle;
    // Font of the model -> the package's font, for those read from it.
    std::map<std::uint16_t, std::uint32_t> fontOfModel;
    // Number format id of the model -> the package's, where they differ.
    std::map<std::uint16_t, std::uint32_t> numFmtOfModel;
    std::uint32_t fontCount = 0, fillCount = 0, borderCount = 0, cellXfCount = 0;
    std::uint32_t nextNumFmtId = 164;

    // The shared strings the cells written anew may refer to by number.
    std::unordered_map<std::string, std::uint32_t> sharedString;

    // Each name as the model held it when read (so a name left alone keeps
    // its element as written), and the names the model does not hold at all
    // (functions, constants, unions), kept as written.
    struct NameOrigin {
        std::string name;
        std::optional<std::size_t> scope;
        std::vector<std::uint8_t> rgce;
        std::string element;
    };
    std::vector<NameOrigin> names;
    std::vector<NameOrigin> namesKeptAside;
};

}  // namespace xls::xlsx_update
