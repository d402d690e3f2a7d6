#include "platform/windows/owner_only_access.h"

#include "base/win/scoped_handle.h"
#include "base/win/system_error.h"

namespace kestro {
namespace {

// The TOKEN_USER of the process's token, which holds the user's SID.
std::vector<BYTE> ReadTokenUser() {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
    ThrowLastError("cannot read the user the program runs as");
  }
  const ScopedHandle token(raw);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);  // fails, telling the size
  std::vector<BYTE> user(size);
  if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) {
    ThrowLastError("cannot read the user the program runs as");
  }
  return user;
}

void MakeWellKnownSid(WELL_KNOWN_SID_TYPE type, PSID sid) {
  DWORD size = SECURITY_MAX_SID_SIZE;
  if (!::CreateWellKnownSid(type, nullptr, sid, &size)) ThrowLastError("cannot make a well-known SID");
}

}  // namespace

OwnerOnlyAccess::OwnerOnlyAccess()
    : tokenUser_(ReadTokenUser()), system_(), administrators_(), descriptor_(), attributes_() {
  MakeWellKnownSid(WinLocalSystemSid, system_.get());
  MakeWellKnownSid(WinBuiltinAdministratorsSid, administrators_.get());
  const PSID user = reinterpret_cast<TOKEN_USER*>(tokenUser_.data())->User.Sid;
  const PSID allowed[] = {user, system_.get(), administrators_.get()};

  // Each ACE's SID takes the place of its last member, SidStart.
  DWORD aclSize = sizeof(ACL);
  for (const PSID sid : allowed) {
    aclSize += static_cast<DWORD>(sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) + ::GetLengthSid(sid);
  }
  acl_.assign((aclSize + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  const auto acl = reinterpret_cast<ACL*>(acl_.data());
  // With a buffer of the size counted above none of these can fail on
  // well-formed SIDs; a failure is still reported rather than ignored.
  bool made = ::InitializeAcl(acl, aclSize, ACL_REVISION) != FALSE;
  for (const PSID sid : allowed) made = made && ::AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid);
  made = made && ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
         ::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) &&
         ::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
  if (!made) ThrowLastError("cannot make the owner-only access");

  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = &descriptor_;
  attributes_.bInheritHandle = FALSE;
}

}  // namespace kestro
