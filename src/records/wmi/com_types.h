#pragma once

#include <objbase.h>
#include <oleauto.h>

#include <string_view>

// Owners for the COM resources the WMI back end handles; COM interfaces
// themselves are held by Microsoft::WRL::ComPtr.
namespace kestro {

// COM on the calling thread for the owner's lifetime. Balanced only when this
// call initialised it (S_OK) or added a reference (S_FALSE); a thread already
// in the other apartment model (RPC_E_CHANGED_MODE) keeps COM as it was, and
// WMI works there as well. Any other failure throws RuntimeError.
class ComApartment {
 public:
  ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment();

 private:
  bool balance_ = false;
};

// A BSTR that is freed with its owner.
class ScopedBstr {
 public:
  explicit ScopedBstr(std::wstring_view text);
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  ~ScopedBstr() { ::SysFreeString(bstr_); }
  BSTR get() const { return bstr_; }

 private:
  BSTR bstr_;
};

// A VARIANT that is cleared with its owner (freeing its BSTR or SAFEARRAY).
class ScopedVariant {
 public:
  ScopedVariant() { ::VariantInit(&variant_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ~ScopedVariant() { ::VariantClear(&variant_); }
  VARIANT* Receive() {
    ::VariantClear(&variant_);
    return &variant_;
  }
  const VARIANT& get() const { return variant_; }

 private:
  VARIANT variant_;
};

// A SAFEARRAY that is destroyed with its owner.
class ScopedSafeArray {
 public:
  explicit ScopedSafeArray(SAFEARRAY* array) : array_(array) {}
  ScopedSafeArray(const ScopedSafeArray&) = delete;
  ScopedSafeArray& operator=(const ScopedSafeArray&) = delete;
  ~ScopedSafeArray() {
    if (array_ != nullptr) ::SafeArrayDestroy(array_);
  }
  SAFEARRAY* get() const { return array_; }
  // Hands the array to a new owner (a VARIANT).
  SAFEARRAY* Release() {
    SAFEARRAY* array = array_;
    array_ = nullptr;
    return array;
  }

 private:
  SAFEARRAY* array_;
};

// Access to a SAFEARRAY's elements while the owner lives (the array's lock).
class SafeArrayData {
 public:
  // Throws RuntimeError when the array cannot be locked.
  explicit SafeArrayData(SAFEARRAY* array);
  SafeArrayData(const SafeArrayData&) = delete;
  SafeArrayData& operator=(const SafeArrayData&) = delete;
  ~SafeArrayData() { ::SafeArrayUnaccessData(array_); }
  const void* get() const { return data_; }

 private:
  SAFEARRAY* array_;
  void* data_ = nullptr;
};

}  // namespace kestro
