#include "records/wmi/variant_value.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/error.h"
#include "records/wmi/com_types.h"

namespace kestro {
namespace {

using namespace std::string_literals;

// A VARIANT of type VT_ARRAY | `elementType` holding `values`, each stored as
// that type, with lower bound `lowerBound`.
template <class T>
void FillArray(ScopedVariant& variant, VARTYPE elementType, const std::vector<T>& values, LONG lowerBound = 0) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(values.size()), lowerBound};
  ScopedSafeArray array(::SafeArrayCreate(elementType, 1, &bound));
  ASSERT_NE(array.get(), nullptr);
  ASSERT_EQ(::SafeArrayGetElemsize(array.get()), sizeof(T));
  {
    void* data = nullptr;
    ASSERT_EQ(::SafeArrayAccessData(array.get(), &data), S_OK);
    if (!values.empty()) std::memcpy(data, values.data(), values.size() * sizeof(T));
    ::SafeArrayUnaccessData(array.get());
  }
  VARIANT* target = variant.Receive();
  target->vt = static_cast<VARTYPE>(VT_ARRAY | elementType);
  target->parray = array.Release();
}

void FillText(ScopedVariant& variant, std::wstring_view text) {
  VARIANT* target = variant.Receive();
  target->vt = VT_BSTR;
  target->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

PropertyValue Convert(const ScopedVariant& variant) {
  return PropertyValueFromVariant(variant.get(), u"Test_Class.Property");
}

// The RuntimeError that converting `variant` throws.
RuntimeError ConversionError(const ScopedVariant& variant) {
  try {
    Convert(variant);
  } catch (const RuntimeError& error) {
    return error;
  }
  ADD_FAILURE() << "the conversion did not fail";
  return RuntimeError(0, "");
}

TEST(VariantValue, EmptyAndNullAreNull) {
  for (VARTYPE type : {VT_EMPTY, VT_NULL}) {
    ScopedVariant variant;
    variant.Receive()->vt = type;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Convert(variant))) << "type " << type;
  }
}

TEST(VariantValue, TextKeepsEveryCharacterUpToSysStringLen) {
  const struct {
    std::wstring_view bstr;
    std::u16string expected;
  } cases[] = {
      {L"Wine", u"Wine"},
      {L"", u""},
      {{L"a\0b", 3}, u"a\0b"s},  // a BSTR may hold NUL; its length says where it ends
      {L"Z\u00dcrich \u20ac \u03a9 \U0001F600", u"Z\u00dcrich \u20ac \u03a9 \U0001F600"},
  };
  for (const auto& [bstr, expected] : cases) {
    ScopedVariant variant;
    FillText(variant, bstr);
    EXPECT_EQ(std::get<std::u16string>(Convert(variant)), expected);
  }
}

TEST(VariantValue, NullBstrIsTheEmptyText) {
  ScopedVariant variant;
  variant.Receive()->vt = VT_BSTR;  // bstrVal stays NULL, which COM takes as ""
  EXPECT_EQ(std::get<std::u16string>(Convert(variant)), u"");
}

TEST(VariantValue, ByteArraysOfEveryIntegerElementType) {
  const Bytes expected = {0, 1, 127, 128, 255};
  const auto check = [&](auto sample, VARTYPE type) {
    using T = decltype(sample);
    ScopedVariant variant;
    FillArray<T>(variant, type, {0, 1, 127, static_cast<T>(128), static_cast<T>(255)});
    EXPECT_EQ(std::get<Bytes>(Convert(variant)), expected) << "element type " << type;
  };
  check(std::uint8_t{}, VT_UI1);
  check(std::int16_t{}, VT_I2);
  check(std::uint16_t{}, VT_UI2);
  check(std::int32_t{}, VT_I4);
  check(std::uint32_t{}, VT_UI4);
  check(std::int32_t{}, VT_INT);
  check(std::uint32_t{}, VT_UINT);
  check(std::int64_t{}, VT_I8);
  check(std::uint64_t{}, VT_UI8);

  ScopedVariant signedBytes;  // VT_I1 holds 0..127 of the byte range
  FillArray<std::int8_t>(signedBytes, VT_I1, {0, 5, 127});
  EXPECT_EQ(std::get<Bytes>(Convert(signedBytes)), (Bytes{0, 5, 127}));
}

TEST(VariantValue, ArrayBoundsNeedNotStartAtZero) {
  ScopedVariant variant;
  FillArray<std::uint8_t>(variant, VT_UI1, {9, 8, 7}, 5);
  EXPECT_EQ(std::get<Bytes>(Convert(variant)), (Bytes{9, 8, 7}));
}

TEST(VariantValue, EmptyArrayIsAnEmptyByteArray) {
  ScopedVariant variant;
  FillArray<std::uint8_t>(variant, VT_UI1, {});
  EXPECT_EQ(std::get<Bytes>(Convert(variant)), Bytes{});
}

TEST(VariantValue, ElementOutsideTheByteRangeIsATypeMismatch) {
  const auto check = [](auto values, VARTYPE type, const std::string& shown) {
    ScopedVariant variant;
    FillArray(variant, type, values);
    const RuntimeError error = ConversionError(variant);
    EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::TypeMismatch));
    EXPECT_NE(error.text().find(shown), std::string::npos) << error.text();
  };
  check(std::vector<std::int32_t>{1, 256}, VT_I4, "element 1 is 256");
  check(std::vector<std::int16_t>{-1}, VT_I2, "element 0 is -1");
  check(std::vector<std::int8_t>{-128}, VT_I1, "element 0 is -128");
  check(std::vector<std::uint64_t>{UINT64_MAX}, VT_UI8, "element 0 is 18446744073709551615");
}

TEST(VariantValue, OtherArraysAreATypeMismatch) {
  ScopedVariant doubles;
  FillArray<double>(doubles, VT_R8, {1.0});
  EXPECT_NE(ConversionError(doubles).text().find("an array of VT_R8"), std::string::npos);

  ScopedVariant texts;
  {
    ScopedSafeArray array(::SafeArrayCreateVector(VT_BSTR, 0, 1));
    VARIANT* target = texts.Receive();
    target->vt = VT_ARRAY | VT_BSTR;
    target->parray = array.Release();
  }
  EXPECT_EQ(ConversionError(texts).number(), static_cast<std::int64_t>(ErrorCode::TypeMismatch));

  ScopedVariant twoDimensions;
  {
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    ScopedSafeArray array(::SafeArrayCreate(VT_UI1, 2, bounds));
    VARIANT* target = twoDimensions.Receive();
    target->vt = VT_ARRAY | VT_UI1;
    target->parray = array.Release();
  }
  EXPECT_NE(ConversionError(twoDimensions).text().find("2 dimensions"), std::string::npos);

  ScopedVariant noArray;
  noArray.Receive()->vt = VT_ARRAY | VT_UI1;  // parray stays NULL
  EXPECT_EQ(ConversionError(noArray).number(), static_cast<std::int64_t>(ErrorCode::TypeMismatch));
}

TEST(VariantValue, ScalarsAreATypeMismatchNamingTheProperty) {
  const struct {
    VARTYPE type;
    const char* shown;
  } cases[] = {{VT_I4, "VT_I4"},     {VT_UI1, "VT_UI1"},           {VT_BOOL, "VT_BOOL"},      {VT_R8, "VT_R8"},
               {VT_DATE, "VT_DATE"}, {VT_DISPATCH, "VT_DISPATCH"}, {VT_UNKNOWN, "VT_UNKNOWN"}};
  for (const auto& [type, shown] : cases) {
    ScopedVariant variant;
    variant.Receive()->vt = type;  // every value member is zero: no object to release
    const RuntimeError error = ConversionError(variant);
    EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::TypeMismatch));
    EXPECT_NE(error.text().find("Test_Class.Property"), std::string::npos) << error.text();
    EXPECT_NE(error.text().find(shown), std::string::npos) << error.text();
  }
}

TEST(VariantValue, ReferencesAreATypeMismatch) {
  BSTR text = ::SysAllocString(L"by reference");
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_BYREF | VT_BSTR;
  variant.pbstrVal = &text;
  try {
    PropertyValueFromVariant(variant, u"Test_Class.Property");
    ADD_FAILURE() << "a reference was converted";
  } catch (const RuntimeError& error) {
    EXPECT_NE(error.text().find("reference"), std::string::npos) << error.text();
  }
  ::SysFreeString(text);
}

}  // namespace
}  // namespace kestro
