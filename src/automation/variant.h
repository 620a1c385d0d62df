#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace automation {

// A value as the automation interface passes it: the subset of OLE variant
// types that workbook values, properties and arguments use.

struct Empty {
    bool operator==(const Empty&) const = default;
};

// A cell error value (#N/A and the like). The code is the worksheet error
// number the spreadsheet application uses (2000 #NULL!, 2007 #DIV/0!,
// 2015 #VALUE!, 2023 #REF!, 2029 #NAME?, 2036 #NUM!, 2042 #N/A).
struct ErrorValue {
    std::int32_t code = 0;
    bool operator==(const ErrorValue&) const = default;
};

// Fixed-point currency: the value times 10,000.
struct Currency {
    std::int64_t scaled = 0;
    bool operator==(const Currency&) const = default;
};

// An OLE automation date: days since 1899-12-30, the fraction being the
// time of day.
struct Date {
    double serial = 0;
    bool operator==(const Date&) const = default;
};

class Variant;

// The value of a range of several cells: rows × columns, row-major.
struct VariantArray {
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    std::vector<Variant> items;
};

class Variant {
  public:
    enum class Type { Empty, Integer, Long, Double, Currency, Date, String, Boolean, Error, Array };

    Variant() = default;
    Variant(Empty) {}
    Variant(std::int16_t v) : v_(v) {}
    Variant(std::int32_t v) : v_(v) {}
    Variant(double v) : v_(v) {}
    Variant(Currency v) : v_(v) {}
    Variant(Date v) : v_(v) {}
    Variant(std::string v) : v_(std::move(v)) {}
    Variant(const char* v) : v_(std::string(v)) {}
    Variant(bool v) : v_(v) {}
    Variant(ErrorValue v) : v_(v) {}
    Variant(std::shared_ptr<const VariantArray> v) : v_(std::move(v)) {}

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isEmpty() const { return type() == Type::Empty; }

    template <typename T>
    const T* get() const {
        return std::get_if<T>(&v_);
    }

    // The standard conversion to text in the Japanese locale, as a string
    // coercion of the variant does it: numbers with up to 15 significant
    // digits ("3.14", "1E+20"), dates "2005/03/14", "2005/03/14 9:05:00" or
    // "9:05:00", booleans "True"/"False", empty gives "". An error value or
    // an array cannot be converted: throws AutomationError (type mismatch).
    std::string toText() const;

    // Coercion to a 32-bit integer: numbers rounded half to even, numeric
    // text parsed, empty gives 0, booleans -1/0. Throws AutomationError
    // (type mismatch or overflow) when that is impossible.
    std::int32_t toLong() const;

    bool operator==(const Variant& other) const;

  private:
    std::variant<Empty, std::int16_t, std::int32_t, double, Currency, Date, std::string, bool,
                 ErrorValue, std::shared_ptr<const VariantArray>>
        v_;
};

}  // namespace automation
