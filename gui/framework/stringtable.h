// StringTable: the program's user-interface strings by id (600 to 901).
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "framework/winconst.h"

namespace orvane {

class StringTable {
 public:
  // The text of that id, line breaks as "\n"; empty if there is none.
  static std::string get(UINT id);
  // Every id that has a text, ascending.
  static std::vector<UINT> ids();
};

}  // namespace orvane
