#include "native/formula/name_tokens.h"

#include <utility>

#include "native/formula/ptg.h"
#include "native/io/byte_reader.h"
#include "native/text/unicode.h"

namespace xls::formula {

namespace {

// tMem* tokens nest a sub-expression; real files nest one level. The cap
// keeps hostile bytes from recursing deeply.
constexpr int kMaxNesting = 8;

constexpr std::uint16_t kColumnBits = 0x3FFF;
constexpr std::uint16_t kColRelativeBit = 0x4000;
constexpr std::uint16_t kRowRelativeBit = 0x8000;

// Thrown inside the decoder when the tokens are no reference or constant;
// it never leaves this file.
struct NotDecodable {};

struct Corner {
    std::int32_t row;
    std::int32_t col;
    bool rowRelative;
    bool colRelative;
};

Corner readCorner(std::uint16_t row, std::uint16_t colField) {
    Corner c{row, 0, (colField & kRowRelativeBit) != 0, (colField & kColRelativeBit) != 0};
    const std::uint16_t col = colField & kColumnBits;
    if (c.colRelative) {
        // A signed 14-bit offset; seen from column A it wraps modulo 256,
        // which leaves just the low byte.
        c.col = col & 0xFF;
    } else {
        if (col > kLastCol) throw NotDecodable{};
        c.col = col;
    }
    return c;
}

SheetRef makeRef(std::uint16_t ixti, Corner first, Corner last, bool singleCell) {
    if (first.row > last.row) {
        std::swap(first.row, last.row);
        std::swap(first.rowRelative, last.rowRelative);
    }
    if (first.col > last.col) {
        std::swap(first.col, last.col);
        std::swap(first.colRelative, last.colRelative);
    }
    SheetRef ref;
    ref.ixti = ixti;
    ref.area = Area{first.row, first.col, last.row, last.col};
    ref.singleCell = singleCell;
    ref.firstRowRelative = first.rowRelative;
    ref.firstColRelative = first.colRelative;
    ref.lastRowRelative = last.rowRelative;
    ref.lastColRelative = last.colRelative;
    return ref;
}

ReferenceList single(SheetRef ref) {
    ReferenceList list;
    list.refs.push_back(ref);
    return list;
}

NameFormula pop(std::vector<NameFormula>& stack) {
    if (stack.empty()) throw NotDecodable{};
    NameFormula top = std::move(stack.back());
    stack.pop_back();
    return top;
}

ReferenceList popReferences(std::vector<NameFormula>& stack) {
    NameFormula top = pop(stack);
    if (auto* list = std::get_if<ReferenceList>(&top)) return std::move(*list);
    throw NotDecodable{};
}

double& topNumber(std::vector<NameFormula>& stack) {
    if (!stack.empty())
        if (auto* constant = std::get_if<NameConstant>(&stack.back()))
            if (auto* number = std::get_if<double>(constant)) return *number;
    throw NotDecodable{};
}

std::string readShortString(io::ByteReader& r) {
    const std::uint8_t cch = r.u8();
    const std::uint8_t flags = r.u8();
    if (flags & 0x01) return text::utf16leToUtf8(r.bytes(2u * cch));
    return text::latin1ToUtf8(r.bytes(cch));
}

NameFormula decodeExpression(std::span<const std::uint8_t> rgce, int nesting);

NameFormula decodeNested(io::ByteReader& r, std::uint16_t cce, int nesting) {
    if (nesting >= kMaxNesting) throw NotDecodable{};
    return decodeExpression(r.bytes(cce), nesting + 1);
}

NameFormula decodeExpression(std::span<const std::uint8_t> rgce, int nesting) {
    io::ByteReader r(rgce);
    std::vector<NameFormula> stack;
    while (!r.atEnd()) {
        const std::uint8_t id = ptg::baseId(r.u8());
        switch (id) {
            case ptg::kRef3d: {
                const std::uint16_t ixti = r.u16();
                const std::uint16_t row = r.u16();
                const Corner c = readCorner(row, r.u16());
                stack.emplace_back(single(makeRef(ixti, c, c, true)));
                break;
            }
            case ptg::kArea3d: {
                const std::uint16_t ixti = r.u16();
                const std::uint16_t rowFirst = r.u16();
                const std::uint16_t rowLast = r.u16();
                const std::uint16_t colFirst = r.u16();
                const std::uint16_t colLast = r.u16();
                stack.emplace_back(single(makeRef(ixti, readCorner(rowFirst, colFirst),
                                                  readCorner(rowLast, colLast), false)));
                break;
            }
            case ptg::kRefErr3d:
            case ptg::kAreaErr3d: {
                SheetRef ref;
                ref.ixti = r.u16();
                ref.deleted = true;
                ref.singleCell = id == ptg::kRefErr3d;
                r.skip(id == ptg::kRefErr3d ? 4 : 8);
                stack.emplace_back(single(ref));
                break;
            }
            case ptg::kMemArea:
            case ptg::kMemNoMem: {
                // The cached rectangles of tMemArea sit after the formula;
                // the nested tokens say the same, so only they are read.
                r.skip(4);
                const std::uint16_t cce = r.u16();
                stack.push_back(decodeNested(r, cce, nesting));
                break;
            }
            case ptg::kMemFunc: {
                const std::uint16_t cce = r.u16();
                stack.push_back(decodeNested(r, cce, nesting));
                break;
            }
            case ptg::kUnion: {
                ReferenceList right = popReferences(stack);
                ReferenceList left = popReferences(stack);
                left.refs.insert(left.refs.end(), right.refs.begin(), right.refs.end());
                left.parenthesised = false;
                stack.emplace_back(std::move(left));
                break;
            }
            case ptg::kParen:
                if (stack.empty()) throw NotDecodable{};
                if (auto* list = std::get_if<ReferenceList>(&stack.back()))
                    list->parenthesised = true;
                break;
            case ptg::kAttr: {
                const std::uint8_t kind = r.u8();
                if (kind != ptg::kAttrSpace && kind != ptg::kAttrSpaceSemi) throw NotDecodable{};
                r.skip(2);
                break;
            }
            case ptg::kStr:
                stack.emplace_back(NameConstant{readShortString(r)});
                break;
            case ptg::kErr:
                stack.emplace_back(NameConstant{ErrorConstant{r.u8()}});
                break;
            case ptg::kBool:
                stack.emplace_back(NameConstant{r.u8() != 0});
                break;
            case ptg::kInt:
                stack.emplace_back(NameConstant{static_cast<double>(r.u16())});
                break;
            case ptg::kNum:
                stack.emplace_back(NameConstant{r.f64()});
                break;
            case ptg::kUminus: {
                double& number = topNumber(stack);
                number = -number;
                break;
            }
            case ptg::kUplus:
                topNumber(stack);
                break;
            default:
                throw NotDecodable{};
        }
    }
    if (stack.size() != 1) throw NotDecodable{};
    return std::move(stack.back());
}

}  // namespace

std::optional<NameFormula> decodeNameFormula(std::span<const std::uint8_t> rgce) {
    try {
        return decodeExpression(rgce, 0);
    } catch (const NotDecodable&) {
        return std::nullopt;
    } catch (const io::ReadPastEnd&) {
        return std::nullopt;
    }
}

}  // namespace xls::formula
