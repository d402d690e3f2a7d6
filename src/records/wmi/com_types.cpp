#include "records/wmi/com_types.h"

#include <climits>

#include "base/win/system_error.h"
#include "core/error.h"

namespace kestro {

ComApartment::ComApartment() {
  const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (hr == S_OK || hr == S_FALSE) {
    balance_ = true;
  } else if (hr != RPC_E_CHANGED_MODE) {
    throw RuntimeError(HresultNumber(hr), "cannot initialise COM (CoInitializeEx)");
  }
}

ComApartment::~ComApartment() {
  if (balance_) ::CoUninitialize();
}

ScopedBstr::ScopedBstr(std::wstring_view text) {
  if (text.size() > UINT_MAX) throw RuntimeError(ErrorCode::Overflow, "Overflow: text too long for a BSTR");
  bstr_ = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (bstr_ == nullptr) throw RuntimeError(HresultNumber(E_OUTOFMEMORY), "Out of memory: cannot allocate a BSTR");
}

SafeArrayData::SafeArrayData(SAFEARRAY* array) : array_(array) {
  const HRESULT hr = ::SafeArrayAccessData(array_, &data_);
  if (FAILED(hr)) throw RuntimeError(HresultNumber(hr), "cannot lock a SAFEARRAY (SafeArrayAccessData)");
}

}  // namespace kestro
