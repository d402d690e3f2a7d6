#pragma once

#include <windows.h>

#include <vector>

// Access to a new file for its owner alone, given when the file is created
// so that nobody can open it in between.
namespace kestro {

// Security attributes for CreateFileW whose DACL lets only the user the
// process runs as, SYSTEM and the Administrators open the file. The DACL is
// protected: nothing the folder hands down to its files is added, so a file
// made in a folder everyone may read is still the owner's alone. Holds all
// it points to, so it stays where it was made.
class OwnerOnlyAccess {
 public:
  // Throws RuntimeError with the system's number where the process's user
  // cannot be read.
  OwnerOnlyAccess();
  OwnerOnlyAccess(const OwnerOnlyAccess&) = delete;
  OwnerOnlyAccess& operator=(const OwnerOnlyAccess&) = delete;

  SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

 private:
  // A SID in a buffer of its own, with the alignment a SID needs.
  struct SidBuffer {
    alignas(SID) BYTE bytes[SECURITY_MAX_SID_SIZE];
    PSID get() { return bytes; }
  };

  std::vector<BYTE> tokenUser_;  // TOKEN_USER and the user's SID behind it
  SidBuffer system_;
  SidBuffer administrators_;
  std::vector<DWORD> acl_;  // DWORDs: an ACL must be aligned as one
  SECURITY_DESCRIPTOR descriptor_;
  SECURITY_ATTRIBUTES attributes_;
};

}  // namespace kestro
