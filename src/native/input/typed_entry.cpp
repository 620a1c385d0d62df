#include "native/input/typed_value.h"

#include <ctime>
#include <optional>

#include "native/input/date_entry.h"
#include "native/input/entry_text.h"
#include "native/input/error_literal.h"
#include "native/input/number_entry.h"
#include "native/text/ascii.h"

namespace xls::input {

namespace {

TypedValue textValue(std::string text) {
    TypedValue v;
    v.kind = TypedValue::Kind::Text;
    v.text = std::move(text);
    return v;
}

TypedValue numberValue(const RecognisedNumber& n) {
    TypedValue v;
    v.kind = TypedValue::Kind::Number;
    v.number = n.value;
    v.numberFormat = n.numberFormat;
    return v;
}

TypedValue formulaValue(std::string formula) {
    TypedValue v;
    v.kind = TypedValue::Kind::Formula;
    v.text = std::move(formula);
    return v;
}

int localYear() {
    const std::time_t now = std::time(nullptr);
    // Asked for each entry that may be a date, thousands in a list; the
    // time zone's rules are looked up again only when the second changes.
    thread_local std::time_t askedAt = -1;
    thread_local int year = 2000;
    if (now == askedAt) return year;
    std::tm local{};
#ifdef _WIN32
    const bool known = localtime_s(&local, &now) == 0;
#else
    const bool known = localtime_r(&now, &local) != nullptr;
#endif
    askedAt = now;
    year = known ? local.tm_year + 1900 : 2000;
    return year;
}

}  // namespace

TypedValue parseTypedEntry(std::string_view raw, bool date1904, int currentYear) {
    const std::string text = wellFormedUtf8(raw);
    if (text.empty()) return textValue({});  // the caller clears the cell
    // The apostrophe forces text and is a prefix, not part of the value.
    if (text.front() == '\'') return textValue(text.substr(1));
    // Only an '=' in the first place starts a formula; " =1" stays text.
    if (text.front() == '=') return formulaValue(text);

    const std::string_view trimmed = trimBlanks(text);
    // TRUE and FALSE are the literals in every locale, in any letter case.
    if (text::equalsIgnoringAsciiCase(trimmed, "TRUE") ||
        text::equalsIgnoringAsciiCase(trimmed, "FALSE")) {
        TypedValue v;
        v.kind = TypedValue::Kind::Boolean;
        v.boolean = trimmed.size() == 4;
        return v;
    }
    if (const std::optional<ErrorLiteral> error = recogniseErrorLiteral(trimmed)) {
        TypedValue v;
        v.kind = TypedValue::Kind::Error;
        v.text = std::string(error->text);
        v.errorCode = error->code;
        return v;
    }

    const std::string folded = foldForRecognition(text);
    if (const std::optional<RecognisedNumber> n = recogniseNumber(trimBlanks(folded)))
        return numberValue(*n);
    // A leading blank keeps a date or time as text: the documented way to type "1-2" as is.
    if (!folded.empty() && folded.front() != ' ') {
        if (const std::optional<RecognisedNumber> d =
                recogniseDateTime(trimBlanks(folded), date1904, currentYear))
            return numberValue(*d);
    }
    // Like '=', a leading sign that starts no number starts a formula: "-abc" is "=-abc",
    // "+81-3-1234" a sum. A sign alone stays text.
    if (text.size() > 1 && (text.front() == '+' || text.front() == '-'))
        return formulaValue("=" + text);
    return textValue(text);
}

TypedValue parseTypedEntry(std::string_view text, bool date1904) {
    return parseTypedEntry(text, date1904, localYear());
}

}  // namespace xls::input
