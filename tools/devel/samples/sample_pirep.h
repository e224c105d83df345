// A sample PIREP: one completed flight with every field set, for the tests and the tools.
// SPDX-License-Identifier: MIT
#pragma once

#include "pirep/PIREPData.h"

namespace orvane::samples {

// A completed flight EDDF-LOWW with every field set. Its comment holds a line feed, a
// CR LF, "=" and "~", and its Base64 form ends in one "=". The committed golden PIREP file
// is this record packed: a change here shows as a failing file test.
PIREPData sample_pirep();

}  // namespace orvane::samples
