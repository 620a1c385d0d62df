#include "native/formula/name_tokens.h"

#include <utility>

#include "native/formula/ptg.h"
#include "native/formula/sheet_ref_token.h"
#include "native/io/byte_reader.h"
#include "native/text/unicode.h"

namespace xls::formula {

namespace {

// tMem* tokens nest a sub-expression; real files nest one level. The cap
// keeps hostile bytes from recursing deeply.
constexpr int kMaxNesting = 8;

// Thrown inside the decoder when the tokens are no reference or constant;
// it never leaves this file.
struct NotDecodable {};

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

NameFormula decodeExpression(std::span<const std::uint8_t> rgce, int nesting, const Grid& grid);

NameFormula decodeNested(io::ByteReader& r, std::uint16_t cce, int nesting, const Grid& grid) {
    if (nesting >= kMaxNesting) throw NotDecodable{};
    return decodeExpression(r.bytes(cce), nesting + 1, grid);
}

NameFormula decodeExpression(std::span<const std::uint8_t> rgce, int nesting, const Grid& grid) {
    io::ByteReader r(rgce);
    std::vector<NameFormula> stack;
    while (!r.atEnd()) {
        const std::uint8_t id = ptg::baseId(r.u8());
        switch (id) {
            case ptg::kRef3d:
            case ptg::kArea3d:
            case ptg::kRefErr3d:
            case ptg::kAreaErr3d: {
                const std::optional<SheetRef> ref = readSheetRef(r, id, grid);
                if (!ref) throw NotDecodable{};
                stack.emplace_back(single(*ref));
                break;
            }
            case ptg::kMemArea:
            case ptg::kMemNoMem: {
                // The cached rectangles of tMemArea sit after the formula;
                // the nested tokens say the same, so only they are read.
                r.skip(4);
                const std::uint16_t cce = r.u16();
                stack.push_back(decodeNested(r, cce, nesting, grid));
                break;
            }
            case ptg::kMemFunc: {
                const std::uint16_t cce = r.u16();
                stack.push_back(decodeNested(r, cce, nesting, grid));
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

std::optional<NameFormula> decodeNameFormula(std::span<const std::uint8_t> rgce, const Grid& grid) {
    try {
        return decodeExpression(rgce, 0, grid);
    } catch (const NotDecodable&) {
        return std::nullopt;
    } catch (const io::ReadPastEnd&) {
        return std::nullopt;
    }
}

}  // namespace xls::formula
