#pragma once

#include <string>
#include <utility>
#include <vector>

#include "automation/com/com_variant.h"
#include "automation/com/dispatch_ptr.h"

namespace mokuji::com {

// One late-bound call by member name, as a script would make it:
//   LateBoundCall(book, "Close").named("SaveChanges", false).method();
// Positional arguments are given in their natural order. Every failure
// throws AutomationError naming the member.
class LateBoundCall {
  public:
    LateBoundCall(const DispatchPtr& target, std::string member)
        : target_(target), member_(std::move(member)) {}

    LateBoundCall& arg(ComVariant v) {
        positional_.push_back(std::move(v));
        return *this;
    }
    LateBoundCall& named(std::string name, ComVariant v) {
        names_.push_back(std::move(name));
        named_.push_back(std::move(v));
        return *this;
    }

    // A property read or a function call whose result is used.
    ComVariant get();
    // A property that must give an object.
    DispatchPtr object();
    // A method whose result is not used.
    void method();
    // A method that gives an object (Workbooks.Open, Workbooks.Add).
    DispatchPtr methodObject();
    // A property assignment.
    void put(ComVariant value);

  private:
    ComVariant invoke(WORD flags, bool wantResult);
    DispatchPtr objectOf(const ComVariant& v) const;

    DispatchPtr target_;
    std::string member_;
    std::vector<ComVariant> positional_;
    std::vector<std::string> names_;
    std::vector<ComVariant> named_;
};

}  // namespace mokuji::com
