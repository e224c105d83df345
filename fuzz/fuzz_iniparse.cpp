// Fuzz target: IniParse on arbitrary file contents, in all three modes and with several
// comment and delimiter sets.
// SPDX-License-Identifier: MIT
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "util/iniparse.h"
#include "util/util.h"

namespace {

using orvane::IniParse;
using orvane::Mode;

// Queries stay bounded however many sections and keys the input holds.
constexpr std::size_t kMaxSections = 6;
constexpr std::size_t kMaxKeys = 4;

const char* const kMissingKey = "\x01no such key\x02";
const char* const kDefault = "\x03(default)\x04";

struct Signs {
  const char* comment;
  const char* delim;
};

// The settings file's own signs first; the others reach the corners of the set logic:
// none at all, several of each, a blank as delimiter, and brackets as both.
const Signs kAlternates[] = {
    {"", ""},
    {";#", ":="},
    {"#", " \t="},
    {"[", "]"},
};

std::string raw_copy_member(IniParse& p) {
  std::ostringstream out;
  p.operator<<(out);
  return out.str();
}

std::string raw_copy_free(IniParse& p) {
  std::ostringstream out;
  out << p;
  return out.str();
}

// The section names worth asking for: those the file lists (first occurrences, bounded),
// plus one that is certainly absent.
std::vector<std::string> names_to_query(const std::vector<std::string>& listed) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const std::string& n : listed) {
    if (names.size() >= kMaxSections) break;
    if (seen.insert(n).second) names.push_back(n);
  }
  names.push_back("\x01no such section\x02");
  return names;
}

// IP_SLOPPY and IP_WARN never throw on a file that can be opened: malformed lines are
// skipped and missing entries give empty results. An exception here escapes and ends the
// run as a finding.
std::map<std::string, IniParse::Section> lenient_pass(const std::string& path,
                                                      const std::string& bytes, const Signs& signs,
                                                      Mode mode) {
  IniParse p(path, signs.comment, signs.delim, mode);
  std::string warnings;
  std::string* err = mode == orvane::IP_WARN ? &warnings : nullptr;

  FUZZ_CHECK(raw_copy_member(p) == bytes);

  const std::vector<std::string> listed = p.Get_All_Sections(err);
  const std::map<std::string, IniParse::Section> whole = p.Get_IniFile(err);

  std::set<std::string> listed_set(listed.begin(), listed.end());
  FUZZ_CHECK(whole.size() == listed_set.size());
  for (const auto& entry : whole) FUZZ_CHECK(listed_set.count(entry.first) == 1);

  for (const std::string& name : names_to_query(listed)) {
    const IniParse::Section section = p.Get_Section(name, err);
    const auto in_whole = whole.find(name);
    if (in_whole != whole.end()) {
      FUZZ_CHECK(in_whole->second == section);
    } else {
      FUZZ_CHECK(section.empty());
    }

    std::size_t keys = 0;
    for (const auto& kv : section) {
      if (++keys > kMaxKeys) break;
      FUZZ_CHECK(kv.first == orvane::trim(kv.first));
      FUZZ_CHECK(kv.second == orvane::trim(kv.second));
      FUZZ_CHECK(p.Get_Value(name, kv.first, err) == kv.second);
      for (const std::string& item : p.Get_Value_List(name, kv.first, {",", " ", "", ";;"}, err)) {
        FUZZ_CHECK(item == orvane::trim(item));
      }
      try {
        // Strict inside: a malformed line may raise std::runtime_error, nothing else.
        FUZZ_CHECK(p.Get_Value_Default(name, kv.first, kDefault) == kv.second);
      } catch (const std::runtime_error&) {
        // Documented outcome: a malformed line.
      }
      FUZZ_CHECK(p.mode() == mode);
    }
    if (section.count(kMissingKey) == 0) {
      FUZZ_CHECK(p.Get_Value(name, kMissingKey, err).empty());
      try {
        FUZZ_CHECK(p.Get_Value_Default(name, kMissingKey, kDefault) == kDefault);
      } catch (const std::runtime_error&) {
        // Documented outcome: a malformed line.
      }
      FUZZ_CHECK(p.mode() == mode);
    }
  }

  // A copy reads the same file from its top.
  IniParse copy(p);
  FUZZ_CHECK(copy.Get_All_Sections(err) == listed);
  FUZZ_CHECK(raw_copy_free(copy) == bytes);
  FUZZ_CHECK(raw_copy_free(p) == bytes);
  return whole;
}

// IP_ERROR stops at the first problem with std::domain_error (missing section or key) or
// std::runtime_error (malformed line); whatever it returns agrees with the lenient modes.
void strict_pass(const std::string& path, const std::string& bytes, const Signs& signs,
                 const std::map<std::string, IniParse::Section>& lenient) {
  IniParse p(path, signs.comment, signs.delim, orvane::IP_ERROR);
  FUZZ_CHECK(raw_copy_member(p) == bytes);

  std::vector<std::string> listed;
  try {
    listed = p.Get_All_Sections();
  } catch (const std::runtime_error&) {
    // Documented outcome: a malformed line.
  }
  try {
    // Every listed section is found again, so only a malformed line may stop this.
    FUZZ_CHECK(p.Get_IniFile() == lenient);
  } catch (const std::runtime_error&) {
    // Documented outcome: a malformed line.
  }
  for (const std::string& name : names_to_query(listed)) {
    try {
      const IniParse::Section section = p.Get_Section(name);
      const auto in_lenient = lenient.find(name);
      FUZZ_CHECK(in_lenient != lenient.end() && in_lenient->second == section);
      std::size_t keys = 0;
      for (const auto& kv : section) {
        if (++keys > kMaxKeys) break;
        FUZZ_CHECK(p.Get_Value(name, kv.first) == kv.second);
        FUZZ_CHECK(p.Get_Value_Default(name, kv.first, kDefault) == kv.second);
        p.Get_Value_List(name, kv.first, {"|"});
      }
      p.Get_Value(name, kMissingKey);
    } catch (const std::domain_error&) {
      // Documented outcome: a missing section or key.
    } catch (const std::runtime_error&) {
      // Documented outcome: a malformed line.
    }
    FUZZ_CHECK(p.mode() == orvane::IP_ERROR);
  }
  FUZZ_CHECK(raw_copy_free(p) == bytes);
}

void exercise(const std::string& path, const std::string& bytes, const Signs& signs) {
  const auto sloppy = lenient_pass(path, bytes, signs, orvane::IP_SLOPPY);
  const auto warn = lenient_pass(path, bytes, signs, orvane::IP_WARN);
  FUZZ_CHECK(warn == sloppy);
  strict_pass(path, bytes, signs, sloppy);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = orvane::fuzz::scratch_dir() + "/fuzz.ini";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  orvane::fuzz::write_file(path, bytes);

  exercise(path, bytes, Signs{"#", "="});
  exercise(path, bytes, kAlternates[size % (sizeof kAlternates / sizeof kAlternates[0])]);
  return 0;
}
