#pragma once

#include <oaidl.h>

#include <string_view>

#include "records/record_source.h"

namespace kestro {

// A WMI property value as the collectors see it:
// - VT_NULL and VT_EMPTY are null;
// - VT_BSTR is its text, all SysStringLen characters of it (a NULL BSTR is
//   the empty text);
// - a one-dimensional SAFEARRAY (VT_ARRAY) of bytes is a byte array. WMI does
//   not always type a uint8[] as VT_UI1, so every integer element type is
//   taken as long as each element is 0 to 255.
// Anything else (numbers, dates, objects, BYREF values, arrays of other
// shapes or with an element outside 0..255) throws RuntimeError TypeMismatch
// naming `what` (the class and property).
PropertyValue PropertyValueFromVariant(const VARIANT& value, std::u16string_view what);

}  // namespace kestro
