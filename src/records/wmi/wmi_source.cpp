#include "records/wmi/wmi_source.h"

#include <wbemidl.h>
#include <wrl/client.h>

#include <string>

#include "base/win/system_error.h"
#include "base/win/wide_text.h"
#include "core/error.h"
#include "core/text.h"
#include "records/wmi/variant_value.h"

namespace kestro {
namespace {

using Microsoft::WRL::ComPtr;

// The WBEM_E_ names of the failures a query can meet; WMI's own numbers have
// no text in the system's message table.
std::string WbemErrorName(HRESULT hr) {
  static constexpr struct {
    std::uint32_t hr;  // the WBEM_E_ values are unsigned constants
    const char* name;
  } kNames[] = {
      {WBEM_E_FAILED, "WBEM_E_FAILED"},
      {WBEM_E_NOT_FOUND, "WBEM_E_NOT_FOUND"},
      {WBEM_E_ACCESS_DENIED, "WBEM_E_ACCESS_DENIED"},
      {WBEM_E_PROVIDER_FAILURE, "WBEM_E_PROVIDER_FAILURE"},
      {WBEM_E_TYPE_MISMATCH, "WBEM_E_TYPE_MISMATCH"},
      {WBEM_E_OUT_OF_MEMORY, "WBEM_E_OUT_OF_MEMORY"},
      {WBEM_E_INVALID_CONTEXT, "WBEM_E_INVALID_CONTEXT"},
      {WBEM_E_INVALID_PARAMETER, "WBEM_E_INVALID_PARAMETER"},
      {WBEM_E_NOT_AVAILABLE, "WBEM_E_NOT_AVAILABLE"},
      {WBEM_E_CRITICAL_ERROR, "WBEM_E_CRITICAL_ERROR"},
      {WBEM_E_NOT_SUPPORTED, "WBEM_E_NOT_SUPPORTED"},
      {WBEM_E_PROVIDER_NOT_FOUND, "WBEM_E_PROVIDER_NOT_FOUND"},
      {WBEM_E_INVALID_NAMESPACE, "WBEM_E_INVALID_NAMESPACE"},
      {WBEM_E_INVALID_CLASS, "WBEM_E_INVALID_CLASS"},
      {WBEM_E_INVALID_QUERY, "WBEM_E_INVALID_QUERY"},
      {WBEM_E_INVALID_QUERY_TYPE, "WBEM_E_INVALID_QUERY_TYPE"},
      {WBEM_E_SHUTTING_DOWN, "WBEM_E_SHUTTING_DOWN"},
      {WBEM_E_TRANSPORT_FAILURE, "WBEM_E_TRANSPORT_FAILURE"},
      {WBEM_E_QUOTA_VIOLATION, "WBEM_E_QUOTA_VIOLATION"},
      {WBEM_E_SERVER_TOO_BUSY, "WBEM_E_SERVER_TOO_BUSY"},
  };
  for (const auto& known : kNames) {
    if (known.hr == static_cast<std::uint32_t>(hr)) return known.name;
  }
  return SystemMessage(static_cast<std::uint32_t>(hr));
}

[[noreturn]] void Fail(HRESULT hr, const std::string& step) {
  const std::string name = WbemErrorName(hr);
  throw RuntimeError(HresultNumber(hr), step + (name.empty() ? "" : ": " + name));
}

// "Select * From Win32_BaseBoard" in root\CIMV2, as the error texts name it.
struct QueryName {
  std::string nameSpace;
  std::string wql;
  std::string className;

  std::string Describe() const { return "\"" + wql + "\" in " + nameSpace; }
};

class WmiRecord : public Record {
 public:
  WmiRecord(ComPtr<IWbemClassObject> object, std::shared_ptr<const QueryName> query)
      : object_(std::move(object)), query_(std::move(query)) {}

  PropertyValue Get(std::u16string_view name) const override {
    const std::wstring wideName = ToWide(name);
    ScopedVariant value;
    const HRESULT hr = object_->Get(wideName.c_str(), 0, value.Receive(), nullptr, nullptr);
    if (FAILED(hr)) {
      Fail(hr,
           "cannot read property " + ToUtf8(name) + " (IWbemClassObject::Get) of a record of " + query_->Describe());
    }
    return PropertyValueFromVariant(value.get(), FromUtf8(query_->className) + u"." + std::u16string(name));
  }

 private:
  ComPtr<IWbemClassObject> object_;
  std::shared_ptr<const QueryName> query_;
};

class WmiRecordSet : public RecordSet {
 public:
  WmiRecordSet(ComPtr<IEnumWbemClassObject> enumerator, std::shared_ptr<const QueryName> query)
      : enumerator_(std::move(enumerator)), query_(std::move(query)) {}

  std::unique_ptr<Record> Next() override {
    if (!enumerator_) return nullptr;
    ComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    const HRESULT hr = enumerator_->Next(static_cast<LONG>(WBEM_INFINITE), 1, &object, &returned);
    if (FAILED(hr)) {
      Fail(hr, "cannot enumerate the result (IEnumWbemClassObject::Next) of " + query_->Describe());
    }
    if (returned == 0) {  // WBEM_S_FALSE: the set has no more records
      enumerator_.Reset();
      return nullptr;
    }
    return std::make_unique<WmiRecord>(std::move(object), query_);
  }

 private:
  ComPtr<IEnumWbemClassObject> enumerator_;
  std::shared_ptr<const QueryName> query_;
};

class WmiConnection : public Connection {
 public:
  WmiConnection(ComPtr<IWbemServices> services, std::string nameSpace)
      : services_(std::move(services)), nameSpace_(std::move(nameSpace)) {}

  std::unique_ptr<RecordSet> ExecQuery(std::u16string_view wql) override {
    auto query = std::make_shared<QueryName>();
    query->nameSpace = nameSpace_;
    query->wql = ToUtf8(wql);
    query->className = ToUtf8(QueriedClass(wql).value_or(u"(query)"));

    const ScopedBstr language(L"WQL");
    const ScopedBstr text(ToWide(wql));
    ComPtr<IEnumWbemClassObject> enumerator;
    const HRESULT hr =
        services_->ExecQuery(language.get(), text.get(), WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, &enumerator);
    if (FAILED(hr)) Fail(hr, "WMI query failed (IWbemServices::ExecQuery): " + query->Describe());
    return std::make_unique<WmiRecordSet>(std::move(enumerator), std::move(query));
  }

 private:
  ComPtr<IWbemServices> services_;
  std::string nameSpace_;
};

}  // namespace

WmiSource::WmiSource() {
  // Once per process; a host that has set it already (RPC_E_TOO_LATE) keeps
  // its own, and each connection's proxy gets its blanket below anyway.
  const HRESULT hr = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                            RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(hr) && hr != RPC_E_TOO_LATE) Fail(hr, "cannot set the process's COM security (CoInitializeSecurity)");
}

std::unique_ptr<Connection> WmiSource::Connect(std::u16string_view nameSpace) {
  const std::string shownNamespace = ToUtf8(nameSpace);
  ComPtr<IWbemLocator> locator;
  HRESULT hr = ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator, &locator);
  if (FAILED(hr)) Fail(hr, "cannot create the WMI locator (CoCreateInstance WbemLocator) for " + shownNamespace);

  const ScopedBstr path(L"\\\\.\\" + ToWide(nameSpace));  // the local machine, as "winmgmts:\\.\root\WMI" names it
  ComPtr<IWbemServices> services;
  hr = locator->ConnectServer(path.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services);
  if (FAILED(hr)) Fail(hr, "cannot connect to WMI namespace " + shownNamespace + " (IWbemLocator::ConnectServer)");

  hr = ::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                           RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  if (FAILED(hr)) Fail(hr, "cannot set the security of WMI namespace " + shownNamespace + " (CoSetProxyBlanket)");
  return std::make_unique<WmiConnection>(std::move(services), shownNamespace);
}

}  // namespace kestro
