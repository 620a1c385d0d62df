#include "automation/variant.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "automation/automation_error.h"
#include "automation/ole_date.h"

namespace automation {

namespace {

[[noreturn]] void typeMismatch(const char* what) {
    throw AutomationError(errnum::kTypeMismatch, std::string("type mismatch: ") + what);
}

// Fifteen significant digits, switching to exponent form the way the
// automation runtime does ("1E+20", "1.5E-07").
std::string doubleText(double d) {
    if (d == 0) return "0";  // also for -0, which the runtime shows as 0
    if (!std::isfinite(d)) typeMismatch("not a finite number");
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", d);
    return buf;
}

std::string currencyText(std::int64_t scaled) {
    bool negative = scaled < 0;
    // Widen before negating: the most negative value has no positive twin.
    unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(scaled)
                                            : static_cast<unsigned long long>(scaled);
    std::string text = std::to_string(magnitude / 10000);
    unsigned long long fraction = magnitude % 10000;
    if (fraction != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04llu", fraction);
        std::string digits = buf;
        while (digits.back() == '0') digits.pop_back();
        text += "." + digits;
    }
    return negative ? "-" + text : text;
}

// The Japanese short date and long time patterns: "2005/03/14", "9:05:00".
// A whole number is a date alone, a date of day zero a time alone.
std::string dateText(double serial) {
    auto t = civilFromOleDate(serial);
    if (!t) typeMismatch("date out of range");
    bool dayZero = std::fabs(serial) < 1.0 && !(t->year != 1899 || t->month != 12 || t->day != 30);
    bool midnight = t->hour == 0 && t->minute == 0 && t->second == 0;
    char buf[64];
    std::string text;
    if (!dayZero || midnight) {
        std::snprintf(buf, sizeof buf, "%04d/%02u/%02u", t->year, t->month, t->day);
        text = buf;
    }
    if (!midnight || dayZero) {
        std::snprintf(buf, sizeof buf, "%u:%02u:%02u", t->hour, t->minute, t->second);
        if (!text.empty()) text += ' ';
        text += buf;
    }
    if (dayZero && midnight) text = "0:00:00";
    return text;
}

// Banker's rounding into the 32-bit range, as integer coercion does it.
std::int32_t roundToLong(double d) {
    if (!std::isfinite(d)) throw AutomationError(errnum::kOverflow, "overflow");
    double r = std::nearbyint(d);  // default rounding mode: half to even
    if (r < -2147483648.0 || r > 2147483647.0)
        throw AutomationError(errnum::kOverflow, "overflow: " + doubleText(d));
    return static_cast<std::int32_t>(r);
}

}  // namespace

std::string Variant::toText() const {
    switch (type()) {
        case Type::Empty:
            return "";
        case Type::Integer:
            return std::to_string(*get<std::int16_t>());
        case Type::Long:
            return std::to_string(*get<std::int32_t>());
        case Type::Double:
            return doubleText(*get<double>());
        case Type::Currency:
            return currencyText(get<Currency>()->scaled);
        case Type::Date:
            return dateText(get<Date>()->serial);
        case Type::String:
            return *get<std::string>();
        case Type::Boolean:
            return *get<bool>() ? "True" : "False";
        case Type::Error:
            typeMismatch("error value");
        case Type::Array:
            typeMismatch("array");
    }
    typeMismatch("unknown variant");
}

std::int32_t Variant::toLong() const {
    switch (type()) {
        case Type::Empty:
            return 0;
        case Type::Integer:
            return *get<std::int16_t>();
        case Type::Long:
            return *get<std::int32_t>();
        case Type::Double:
            return roundToLong(*get<double>());
        case Type::Currency:
            return roundToLong(static_cast<double>(get<Currency>()->scaled) / 1e4);
        case Type::Date:
            return roundToLong(get<Date>()->serial);
        case Type::Boolean:
            return *get<bool>() ? -1 : 0;
        case Type::String: {
            // Plain decimal text only: strtod alone would also take "inf",
            // "nan" and hexadecimal, which numeric coercion does not.
            const std::string& s = *get<std::string>();
            std::string digits;
            for (char c : s) {
                if (c == ',' || c == ' ') continue;  // thousands separators, padding
                if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' ||
                      c == '+' || c == 'e' || c == 'E'))
                    typeMismatch(("not a number: " + s).c_str());
                digits += c;
            }
            if (digits.empty()) typeMismatch("empty text");
            char* end = nullptr;
            errno = 0;
            double d = std::strtod(digits.c_str(), &end);
            if (end != digits.c_str() + digits.size() || errno == ERANGE)
                typeMismatch(("not a number: " + s).c_str());
            return roundToLong(d);
        }
        case Type::Error:
            typeMismatch("error value");
        case Type::Array:
            typeMismatch("array");
    }
    typeMismatch("unknown variant");
}

bool Variant::operator==(const Variant& other) const {
    if (type() == Type::Array && other.type() == Type::Array) {
        const auto& a = **get<std::shared_ptr<const VariantArray>>();
        const auto& b = **other.get<std::shared_ptr<const VariantArray>>();
        return a.rows == b.rows && a.columns == b.columns && a.items == b.items;
    }
    return v_ == other.v_;
}

}  // namespace automation
