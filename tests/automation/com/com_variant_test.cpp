#include "automation/com/com_variant.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include "automation/com/com_error.h"

namespace mokuji::com {
namespace {

using automation::AutomationError;
using automation::Variant;

// A block of cells as the application gives it: rows × columns, 1-based.
ComVariant cellBlock(LONG rows, LONG columns) {
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows), 1}, {static_cast<ULONG>(columns), 1}};
    SAFEARRAY* a = SafeArrayCreate(VT_VARIANT, 2, bounds);
    for (LONG r = 1; r <= rows; ++r) {
        for (LONG c = 1; c <= columns; ++c) {
            LONG index[2] = {r, c};
            ComVariant v(static_cast<std::int32_t>(r * 10 + c));
            SafeArrayPutElement(a, index, const_cast<VARIANT*>(&v.get()));
        }
    }
    ComVariant out;
    VARIANT* v = out.out();
    v->vt = VT_ARRAY | VT_VARIANT;
    v->parray = a;
    return out;
}

TEST(ComVariant, ValuesComeBackAsTheObjectModelHoldsThem) {
    // Several cells: row-major, whatever order the array keeps them in.
    Variant block = ToAutomation(cellBlock(2, 3).get());
    ASSERT_EQ(block.type(), Variant::Type::Array);
    auto array = *block.get<std::shared_ptr<const automation::VariantArray>>();
    ASSERT_EQ(array->rows, 2);
    ASSERT_EQ(array->columns, 3);
    EXPECT_EQ(array->items[1], Variant(std::int32_t{12}));
    EXPECT_EQ(array->items[3], Variant(std::int32_t{21}));

    ComVariant cellError;
    VARIANT* e = cellError.out();
    e->vt = VT_ERROR;
    e->scode = static_cast<SCODE>(0x800A07E7);
    EXPECT_EQ(ToAutomation(cellError.get()), Variant(automation::ErrorValue{2023}));
    ComVariant back(Variant(automation::ErrorValue{2042}));
    EXPECT_EQ(static_cast<std::uint32_t>(back.get().scode), 0x800A07FAu);

    // Text keeps everything, an embedded NUL and characters beyond 16 bits
    // included.
    const std::string text("件名\0\xF0\xA0\x80\x8B", 11);
    EXPECT_EQ(ToAutomation(ComVariant(text).get()), Variant(text));
    EXPECT_EQ(SysStringLen(ComVariant(text).get().bstrVal), 5u);

    ComVariant date(Variant(automation::Date{38425.5}));
    EXPECT_EQ(date.get().vt, VT_DATE);
    EXPECT_EQ(ToAutomation(date.get()).toText(), "2005/03/14 12:00:00");

    // What is no value fails as a type mismatch, without reading past it.
    SAFEARRAYBOUND cube[3] = {{2, 1}, {2, 1}, {2, 1}};
    ComVariant threeD;
    VARIANT* t = threeD.out();
    t->vt = VT_ARRAY | VT_VARIANT;
    t->parray = SafeArrayCreate(VT_VARIANT, 3, cube);
    try {
        ToAutomation(threeD.get());
        ADD_FAILURE() << "a 3-D array converted";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), automation::errnum::kTypeMismatch);
    }
    ComVariant nothing;
    VARIANT* n = nothing.out();
    n->vt = VT_DISPATCH;
    n->pdispVal = nullptr;
    EXPECT_THROW(ToAutomation(nothing.get()), AutomationError);
    EXPECT_THROW(ToObject(nothing.get()), AutomationError);
}

TEST(ComVariant, FailuresCarryTheNumbersALateBoundCallerSees) {
    // The application's own errors, unknown names and other failures come
    // back through the stand-in server.
    EXPECT_EQ(ErrorNumberOf(DISP_E_MEMBERNOTFOUND), automation::errnum::kMemberNotSupported);
    EXPECT_EQ(ErrorNumberOf(RPC_E_DISCONNECTED), static_cast<long>(RPC_E_DISCONNECTED));

    EXCEPINFO info{};
    info.wCode = 0;
    info.scode = static_cast<SCODE>(0x800A03EC);
    info.bstrDescription = SysAllocString(L"開けません");
    info.bstrSource = SysAllocString(L"app");
    AutomationError e = InvokeError("Workbooks.Open", DISP_E_EXCEPTION, info);
    EXPECT_EQ(e.number(), 1004);
    EXPECT_STREQ(e.what(), "Workbooks.Open: 開けません");
    EXPECT_EQ(info.bstrDescription, nullptr);
    EXPECT_EQ(info.bstrSource, nullptr);
}

}  // namespace
}  // namespace mokuji::com
