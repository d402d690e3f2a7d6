#include "records/wmi/variant_value.h"

#include <oleauto.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

#include "core/error.h"
#include "core/text.h"
#include "records/wmi/com_types.h"

namespace kestro {
namespace {

[[noreturn]] void Mismatch(std::u16string_view what, const std::string& found) {
  throw RuntimeError(ErrorCode::TypeMismatch, "Type mismatch: " + ToUtf8(what) + " is " + found);
}

// "VT_I4" and the like for the types WMI uses, the number for any other.
std::string TypeName(VARTYPE type) {
  static constexpr struct {
    VARTYPE type;
    const char* name;
  } kNames[] = {{VT_I2, "VT_I2"},           {VT_I4, "VT_I4"},           {VT_R4, "VT_R4"},
                {VT_R8, "VT_R8"},           {VT_DATE, "VT_DATE"},       {VT_BOOL, "VT_BOOL"},
                {VT_VARIANT, "VT_VARIANT"}, {VT_UNKNOWN, "VT_UNKNOWN"}, {VT_DISPATCH, "VT_DISPATCH"},
                {VT_I1, "VT_I1"},           {VT_UI1, "VT_UI1"},         {VT_UI2, "VT_UI2"},
                {VT_UI4, "VT_UI4"},         {VT_I8, "VT_I8"},           {VT_UI8, "VT_UI8"},
                {VT_BSTR, "VT_BSTR"}};
  for (const auto& known : kNames) {
    if (known.type == type) return known.name;
  }
  char number[16];
  std::snprintf(number, sizeof number, "type 0x%04X", static_cast<unsigned>(type));
  return number;
}

constexpr char kNeither[] = ", neither a text nor a byte array";

std::u16string TextOf(BSTR bstr) {
  const UINT length = ::SysStringLen(bstr);  // 0 for a NULL BSTR
  std::u16string text(length, u'\0');
  for (UINT i = 0; i < length; ++i) text[i] = static_cast<char16_t>(bstr[i]);
  return text;
}

// Element `index` of `data`, an array of `T`, into `byte` when it is 0 to
// 255; otherwise false, with the element's value in `shown`. memcpy keeps the
// read within the array whatever its alignment.
template <class T>
bool ReadByte(const void* data, std::size_t index, std::uint8_t& byte, std::string& shown) {
  T element;
  std::memcpy(&element, static_cast<const unsigned char*>(data) + index * sizeof(T), sizeof(T));
  bool inRange = true;
  if constexpr (sizeof(T) == 1 && std::is_signed_v<T>) {
    inRange = element >= 0;
  } else if constexpr (sizeof(T) > 1 && std::is_signed_v<T>) {
    inRange = element >= 0 && element <= 255;
  } else if constexpr (sizeof(T) > 1) {
    inRange = element <= 255u;
  }
  if (!inRange) {
    shown = std::to_string(element);
    return false;
  }
  byte = static_cast<std::uint8_t>(element);
  return true;
}

using ByteReader = bool (*)(const void*, std::size_t, std::uint8_t&, std::string&);

template <class Element>
bool Use(ByteReader& reader, std::size_t& size) {
  reader = &ReadByte<Element>;
  size = sizeof(Element);
  return true;
}

// The reader for an integer element type and its size; false for others.
bool IntegerElement(VARTYPE type, ByteReader& reader, std::size_t& size) {
  switch (type) {
    case VT_UI1: return Use<std::uint8_t>(reader, size);
    case VT_I1: return Use<std::int8_t>(reader, size);
    case VT_I2: return Use<std::int16_t>(reader, size);
    case VT_UI2: return Use<std::uint16_t>(reader, size);
    case VT_I4:
    case VT_INT: return Use<std::int32_t>(reader, size);
    case VT_UI4:
    case VT_UINT: return Use<std::uint32_t>(reader, size);
    case VT_I8: return Use<std::int64_t>(reader, size);
    case VT_UI8: return Use<std::uint64_t>(reader, size);
    default:
      return false;
  }
}

Bytes BytesOf(const VARIANT& value, std::u16string_view what) {
  const VARTYPE elementType = static_cast<VARTYPE>(value.vt & VT_TYPEMASK);
  SAFEARRAY* array = value.parray;
  ByteReader reader = nullptr;
  std::size_t elementSize = 0;
  if (!IntegerElement(elementType, reader, elementSize)) {
    Mismatch(what, "an array of " + TypeName(elementType) + kNeither);
  }
  if (array == nullptr) Mismatch(what, "an array without its SAFEARRAY");
  if (::SafeArrayGetDim(array) != 1) {
    Mismatch(what, "an array of " + std::to_string(::SafeArrayGetDim(array)) + " dimensions, not a byte array");
  }
  if (::SafeArrayGetElemsize(array) != elementSize) {
    Mismatch(what, "an array whose element size does not match " + TypeName(elementType));
  }
  LONG lower = 0;
  LONG upper = 0;
  if (FAILED(::SafeArrayGetLBound(array, 1, &lower)) || FAILED(::SafeArrayGetUBound(array, 1, &upper))) {
    Mismatch(what, "an array without bounds");
  }
  const std::int64_t count = static_cast<std::int64_t>(upper) - lower + 1;  // 0 for an empty array
  if (count < 0) Mismatch(what, "an array whose upper bound is below its lower bound");

  Bytes bytes;
  bytes.reserve(static_cast<std::size_t>(count));
  const SafeArrayData data(array);
  std::string shown;
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    std::uint8_t byte = 0;
    if (!reader(data.get(), i, byte, shown)) {
      const std::int64_t index = static_cast<std::int64_t>(lower) + static_cast<std::int64_t>(i);
      Mismatch(what,
               "an array whose element " + std::to_string(index) + " is " + shown + ", not a byte value (0 to 255)");
    }
    bytes.push_back(byte);
  }
  return bytes;
}

}  // namespace

PropertyValue PropertyValueFromVariant(const VARIANT& value, std::u16string_view what) {
  if (value.vt == VT_EMPTY || value.vt == VT_NULL) return std::monostate{};
  if (value.vt == VT_BSTR) return TextOf(value.bstrVal);
  if ((value.vt & (VT_ARRAY | VT_BYREF | VT_VECTOR)) == VT_ARRAY) return BytesOf(value, what);
  Mismatch(what, std::string(value.vt & VT_BYREF ? "a reference (VT_BYREF) to " : "") +
                     TypeName(static_cast<VARTYPE>(value.vt & ~VT_BYREF)) + kNeither);
}

}  // namespace kestro
