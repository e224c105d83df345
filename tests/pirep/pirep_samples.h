// Sample PIREP records shared by the PIREP tests, and the writer of the committed golden file.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "pirep/PIREPData.h"
#include "samples/sample_pirep.h"

namespace orvane::test {

// A completed flight EDDF-LOWW with every field set (kept with the tools, which show it too).
using samples::sample_pirep;

// Every field holds "keep-" and the field's name: shows which fields an unpack left alone.
PIREPData sentinel_pirep();

// Name of the golden file in the test data folder.
inline constexpr const char* kGoldenFile = "pirep_v31_golden.ovp";

// Full path of a file in the test data folder (ORVANE_TEST_DATA, set by CTest).
std::string test_data_path(const std::string& name);

// How the golden file was made: pack_crypt of sample_pirep(), written as it is.
void write_golden_file(const std::string& path);

}  // namespace orvane::test
