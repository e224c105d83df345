// Replacing an entry of this program's import table, so that a test can make one Windows
// call fail while the code under test stays as it ships.
// SPDX-License-Identifier: MIT
#pragma once

namespace orvane::wintest {

// Points every import of function (by name, from any DLL) in this program's import table
// at replacement; returns the address it held before, or nullptr when the program does not
// import that function.
void* patch_import(const char* function, void* replacement);

// Patches function for the lifetime of the object and puts the original back after.
class ImportPatch {
 public:
  ImportPatch(const char* function, void* replacement)
      : function_(function), original_(patch_import(function, replacement)) {}
  ~ImportPatch() {
    if (original_) patch_import(function_, original_);
  }
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;
  bool active() const { return original_ != nullptr; }

 private:
  const char* function_;
  void* original_;
};

}  // namespace orvane::wintest
