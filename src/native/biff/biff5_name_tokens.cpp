#include <map>
#include <optional>
#include <tuple>

#include "native/biff/globals_records.h"
#include "native/biff/strings.h"
#include "native/io/byte_reader.h"
#include "native/text/unicode.h"

// BIFF5 name formulas in BIFF8 form. The two token sets differ only in the
// operands that address cells, names and strings; everything the formula
// layer reads is rewritten, other tokens of the same size are copied, and a
// formula holding a token with no BIFF8 twin becomes one that no decoder
// accepts, so that it reads as "no range" rather than as a wrong one.
namespace xls::biff::detail {

namespace {

// Not a token (ids from 0x80 up never are): marks a formula that could not
// be rewritten.
constexpr std::uint8_t kNotAToken = 0xFF;

// Row fields of BIFF5 carry the relative flags that BIFF8 moved into the
// column field, in the same two top bits.
constexpr std::uint16_t kRelativeBits = 0xC000;
constexpr std::uint16_t kRowBits = 0x3FFF;

// Sheet index that BIFF5 3-D references use for a deleted sheet.
constexpr std::uint16_t kDeletedSheet = 0xFFFF;
// XTI tab numbers of BIFF8: a sheet that is gone, a workbook-level name.
constexpr std::int16_t kXtiDeleted = -1;
constexpr std::int16_t kXtiWorkbook = -2;

struct UntranslatableToken {};

// The XTI table and SUPBOOKs the rewritten tokens point into, shared by all
// names of the workbook.
class Links {
  public:
    explicit Links(Globals& g) : g_(g) {}

    // ixals < 0 is the workbook itself; anything else is an EXTERNSHEET of
    // another document, which the layers above treat as "no range".
    std::uint16_t xti(std::int16_t ixals, std::int16_t first, std::int16_t last) {
        const std::uint16_t book = ixals < 0 ? self() : external();
        if (ixals >= 0) first = last = kXtiDeleted;
        const auto key = std::make_tuple(book, first, last);
        auto it = index_.find(key);
        if (it != index_.end()) return it->second;
        if (g_.externSheet.size() >= 0xFFFF) throw UntranslatableToken{};
        const auto ixti = static_cast<std::uint16_t>(g_.externSheet.size());
        g_.externSheet.push_back(XtiEntry{book, first, last});
        index_.emplace(key, ixti);
        return ixti;
    }

  private:
    std::uint16_t self() {
        if (!self_) self_ = add(SupBook::Kind::Self);
        return *self_;
    }
    std::uint16_t external() {
        if (!external_) external_ = add(SupBook::Kind::External);
        return *external_;
    }
    std::uint16_t add(SupBook::Kind kind) {
        SupBook b;
        b.kind = kind;
        if (kind == SupBook::Kind::Self)
            b.sheetCount = static_cast<std::uint16_t>(g_.sheets.size());
        g_.supbooks.push_back(std::move(b));
        return static_cast<std::uint16_t>(g_.supbooks.size() - 1);
    }

    Globals& g_;
    std::optional<std::uint16_t> self_, external_;
    std::map<std::tuple<std::uint16_t, std::int16_t, std::int16_t>, std::uint16_t> index_;
};

class Rewriter {
  public:
    Rewriter(std::span<const std::uint8_t> rgce, Links& links, std::uint16_t codepage)
        : in_(rgce), links_(links), codepage_(codepage) {
        out_.reserve(rgce.size());
    }

    std::vector<std::uint8_t> run() {
        while (!in_.atEnd()) {
            token();
            closeSubexpressions();
        }
        if (!open_.empty()) throw UntranslatableToken{};
        return std::move(out_);
    }

  private:
    // A tMem* token's cce counts the bytes of the tokens it wraps, which
    // change size here: its field is set once the input passes their end.
    struct OpenMem {
        std::size_t inEnd;
        std::size_t outField;
    };

    void put8(std::uint8_t v) { out_.push_back(v); }
    void put16(std::uint16_t v) {
        out_.push_back(static_cast<std::uint8_t>(v));
        out_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void copy(std::size_t n) {
        const auto bytes = in_.bytes(n);
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }

    // A BIFF5 row with its flags and an 8-bit column, as BIFF8's two fields.
    void cell(std::uint16_t row, std::uint8_t col) {
        put16(row & kRowBits);
        put16(static_cast<std::uint16_t>(col | (row & kRelativeBits)));
    }
    void ref() {
        const std::uint16_t row = in_.u16();
        cell(row, in_.u8());
    }
    void area() {
        const std::uint16_t rowFirst = in_.u16(), rowLast = in_.u16();
        const std::uint8_t colFirst = in_.u8(), colLast = in_.u8();
        put16(rowFirst & kRowBits);
        put16(rowLast & kRowBits);
        put16(static_cast<std::uint16_t>(colFirst | (rowFirst & kRelativeBits)));
        put16(static_cast<std::uint16_t>(colLast | (rowLast & kRelativeBits)));
    }
    // ixals, 8 unused bytes, first and last sheet: one XTI index.
    void sheets() {
        const std::int16_t ixals = in_.i16();
        in_.skip(8);
        const std::uint16_t first = in_.u16(), last = in_.u16();
        const bool deleted = first == kDeletedSheet || last == kDeletedSheet;
        put16(links_.xti(ixals, deleted ? kXtiDeleted : static_cast<std::int16_t>(first),
                         deleted ? kXtiDeleted : static_cast<std::int16_t>(last)));
    }
    void mem(std::size_t reserved) {
        copy(reserved);
        const std::uint16_t cce = in_.u16();
        open_.push_back(OpenMem{in_.position() + cce, out_.size()});
        put16(0);
    }
    void closeSubexpressions() {
        while (!open_.empty() && in_.position() >= open_.back().inEnd) {
            const OpenMem m = open_.back();
            open_.pop_back();
            // A cce that ends inside a token cannot be carried over.
            if (in_.position() != m.inEnd) throw UntranslatableToken{};
            const std::size_t cce = out_.size() - (m.outField + 2);
            if (cce > 0xFFFF) throw UntranslatableToken{};
            out_[m.outField] = static_cast<std::uint8_t>(cce);
            out_[m.outField + 1] = static_cast<std::uint8_t>(cce >> 8);
        }
    }
    // tStr: a byte string becomes 16-bit characters after an option byte.
    void str() {
        const std::string utf8 = readShortByteString(in_, codepage_);
        const std::u16string units = text::utf8ToUtf16(utf8);
        if (units.size() > 0xFF) throw UntranslatableToken{};
        put8(static_cast<std::uint8_t>(units.size()));
        put8(0x01);
        for (char16_t u : units) put16(static_cast<std::uint16_t>(u));
    }

    void token() {
        const std::uint8_t id = in_.u8();
        put8(id);
        if (id >= 0x03 && id <= 0x16) return;  // operators and tParen
        const std::uint8_t base =
            (id >= 0x20 && id < 0x80) ? static_cast<std::uint8_t>((id & 0x1F) | 0x20) : id;
        switch (base) {
            case 0x01:  // tExp
            case 0x02:  // tTbl
                return copy(4);
            case 0x17:  // tStr
                return str();
            case 0x19: {  // tAttr; tAttrChoose carries a jump table
                const std::uint8_t kind = in_.u8();
                const std::uint16_t data = in_.u16();
                put8(kind);
                put16(data);
                if (kind & 0x04) copy((std::size_t{data} + 1) * 2);
                return;
            }
            case 0x1C:  // tErr
            case 0x1D:  // tBool
                return copy(1);
            case 0x1E:  // tInt
                return copy(2);
            case 0x1F:  // tNum
                return copy(8);
            case 0x20:  // tArray
                return copy(7);
            case 0x21:  // tFunc
                return copy(2);
            case 0x22:  // tFuncVar
                return copy(3);
            case 0x23:  // tName: index, then 12 unused bytes (BIFF8: 2)
                copy(2);
                in_.skip(12);
                return put16(0);
            case 0x24:  // tRef
            case 0x2A:  // tRefErr
                return ref();
            case 0x25:  // tArea
            case 0x2B:  // tAreaErr
                return area();
            case 0x26:  // tMemArea
            case 0x27:  // tMemErr
            case 0x28:  // tMemNoMem
                return mem(4);
            case 0x29:  // tMemFunc
                return mem(0);
            case 0x39: {  // tNameX: ixals, 8 unused, index, 12 unused
                const std::int16_t ixals = in_.i16();
                in_.skip(8);
                const std::uint16_t index = in_.u16();
                in_.skip(12);
                put16(links_.xti(ixals, kXtiWorkbook, kXtiWorkbook));
                put16(index);
                return put16(0);
            }
            case 0x3A:  // tRef3d
            case 0x3C:  // tRefErr3d
                sheets();
                return ref();
            case 0x3B:  // tArea3d
            case 0x3D:  // tAreaErr3d
                sheets();
                return area();
            default:
                // tRefN/tAreaN (relative offsets of another form), tFuncCE
                // and anything unknown.
                throw UntranslatableToken{};
        }
    }

    io::ByteReader in_;
    Links& links_;
    std::uint16_t codepage_;
    std::vector<std::uint8_t> out_;
    std::vector<OpenMem> open_;
};

}  // namespace

void rewriteBiff5Names(Globals& g) {
    Links links(g);
    for (DefinedName& n : g.names) {
        try {
            n.rgce = Rewriter(n.rgce, links, g.codepage).run();
        } catch (const UntranslatableToken&) {
            n.rgce = {kNotAToken};
        } catch (const io::ReadPastEnd&) {
            n.rgce = {kNotAToken};
        }
    }
}

}  // namespace xls::biff::detail
