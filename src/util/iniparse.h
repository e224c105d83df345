// IniParse: reads sectioned "key = value" files anew on every query.
// SPDX-License-Identifier: MIT
#pragma once

#include <fstream>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace orvane {

enum Mode { IP_SLOPPY = 0, IP_WARN = 1, IP_ERROR = 2 };

// Reads one line without its line feed and drops one trailing carriage return.
std::istream& GetLine(std::istream& in, std::string& line);

class IniParse {
 public:
  using Section = std::map<std::string, std::string>;

  IniParse();
  // Throws std::domain_error with the file name when the file cannot be opened.
  IniParse(const std::string& filename, const std::string& comment_sign,
           const std::string& delim_sign, Mode mode);
  IniParse(const IniParse& other);
  IniParse& operator=(const IniParse&) = delete;
  ~IniParse();

  void Open(const std::string& filename, const std::string& comment_sign,
            const std::string& delim_sign, Mode mode);

  Section Get_Section(const std::string& section, std::string* err = nullptr);
  std::string Get_Value(const std::string& section, const std::string& key,
                        std::string* err = nullptr);
  // The value, or def when the file, the section or the key is missing. Malformed lines
  // still raise std::runtime_error.
  std::string Get_Value_Default(const std::string& section, const std::string& key,
                                const std::string& def);
  std::vector<std::string> Get_Value_List(const std::string& section, const std::string& key,
                                          const std::vector<std::string>& delims,
                                          std::string* err = nullptr);
  std::vector<std::string> Get_All_Sections(std::string* err = nullptr);
  std::map<std::string, Section> Get_IniFile(std::string* err = nullptr);

  // Copies the file's raw characters to out.
  std::ostream& operator<<(std::ostream& out);

  Mode mode() const { return mode_strict; }

 private:
  // (Re)opens the file at its top, so that every query reads what is on disk now. A UTF-8
  // byte-order mark (EF BB BF) at the top is stepped over unless raw is true.
  void open(bool raw = false);
  void close();
  std::size_t skip_head_ws(const std::string& s) const;
  long skip_tail_ws(const std::string& s) const;
  // Smallest index at or after from of any delim_sign character, or -1.
  long find_delim(const std::string& s, std::size_t from = 0) const;
  // Appends a message for IP_WARN, throws E for IP_ERROR, does nothing for IP_SLOPPY.
  template <class E>
  void report(std::string* err, const std::string& warn_text, const std::string& error_text) const;

  std::string filename;
  std::ifstream input;
  bool opened = false;
  std::string comment_sign = "#";
  std::string delim_sign = "=";
  Mode mode_strict = IP_SLOPPY;
};

std::ostream& operator<<(std::ostream& out, IniParse& parser);

}  // namespace orvane
