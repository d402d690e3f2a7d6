#pragma once

#include <memory>
#include <string_view>

#include "records/record_source.h"
#include "records/wmi/com_types.h"

namespace kestro {

// The records of the local machine's WMI, through its COM interface: each
// Connect binds IWbemLocator::ConnectServer to "\\.\<namespace>" and sets the
// proxy's security (CoSetProxyBlanket); ExecQuery runs the WQL text with
// WBEM_FLAG_RETURN_IMMEDIATELY; the records come in the order the enumerator
// yields them, and each property is read by name (IWbemClassObject::Get).
// Every failing call throws RuntimeError with its HRESULT and a text naming
// the step, the namespace and the query.
class WmiSource : public RecordSource {
 public:
  // Initialises COM on the calling thread for the source's lifetime, and the
  // process's COM security (impersonation, as WMI's providers need) unless the
  // process has set it already. Connections, result sets and records must not
  // outlive the source.
  WmiSource();

  std::unique_ptr<Connection> Connect(std::u16string_view nameSpace) override;

 private:
  ComApartment apartment_;
};

}  // namespace kestro
