// IniParse: sectioned "key = value" files, read from disk anew by every query.
// SPDX-License-Identifier: MIT
#include "util/iniparse.h"

#include <stdexcept>

#include "util/tokenizer.h"
#include "util/util.h"

namespace orvane {

namespace {

// Closes the parser's file when a query leaves, by return or by exception.
template <class Close>
class OnExit {
 public:
  explicit OnExit(Close c) : close_(c) {}
  ~OnExit() { close_(); }
  OnExit(const OnExit&) = delete;
  OnExit& operator=(const OnExit&) = delete;

 private:
  Close close_;
};

}  // namespace

std::istream& GetLine(std::istream& in, std::string& line) {
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return in;
}

IniParse::IniParse() = default;

IniParse::IniParse(const std::string& filename_, const std::string& comment_sign_,
                   const std::string& delim_sign_, Mode mode)
    : filename(filename_), comment_sign(comment_sign_), delim_sign(delim_sign_), mode_strict(mode) {
  open();
}

IniParse::IniParse(const IniParse& other)
    : filename(other.filename),
      comment_sign(other.comment_sign),
      delim_sign(other.delim_sign),
      mode_strict(other.mode_strict) {
  open();
}

IniParse::~IniParse() { close(); }

void IniParse::Open(const std::string& filename_, const std::string& comment_sign_,
                    const std::string& delim_sign_, Mode mode) {
  filename = filename_;
  comment_sign = comment_sign_;
  delim_sign = delim_sign_;
  mode_strict = mode;
  close();
  open();
}

void IniParse::open(bool raw) {
  // Reopening rather than rewinding: a file replaced or deleted since the last query must
  // not be read through the old handle.
  close();
  input.clear();
  input.open(filename, std::ios::in);
  if (input.fail()) {
    input.clear();
    throw std::domain_error(filename);
  }
  opened = true;
  if (raw) return;
  // Editors that save "UTF-8 with BOM" put these three bytes before the first section.
  char mark[3] = {};
  input.read(mark, sizeof mark);
  if (input.gcount() == 3 && mark[0] == '\xEF' && mark[1] == '\xBB' && mark[2] == '\xBF') return;
  input.clear();
  input.seekg(0);
}

void IniParse::close() {
  if (opened) input.close();
  opened = false;
}

std::size_t IniParse::skip_head_ws(const std::string& s) const {
  std::size_t i = 0;
  while (i < s.size() && !no_space(s[i])) ++i;
  return i;
}

long IniParse::skip_tail_ws(const std::string& s) const {
  long i = static_cast<long>(s.size()) - 1;
  while (i >= 0 && !no_space(s[static_cast<std::size_t>(i)])) --i;
  return i;
}

long IniParse::find_delim(const std::string& s, std::size_t from) const {
  const std::size_t m = s.find_first_of(delim_sign, from);
  return m == std::string::npos ? -1 : static_cast<long>(m);
}

template <class E>
void IniParse::report(std::string* err, const std::string& warn_text,
                      const std::string& error_text) const {
  if (mode_strict == IP_ERROR) throw E(error_text);
  if (mode_strict == IP_WARN && err != nullptr) *err += warn_text;
}

IniParse::Section IniParse::Get_Section(const std::string& section, std::string* err) {
  open();
  auto closer = [this] { close(); };
  OnExit<decltype(closer)> guard(closer);

  std::string line;
  while (input.good()) {
    GetLine(input, line);
    const std::size_t g = skip_head_ws(line);
    if (g >= line.size() || line[g] != '[') continue;
    const std::size_t close_bracket = line.find(']', g);
    if (close_bracket == std::string::npos) {
      const std::string text = "Invalid section head found while parsing line <" + line + ">.";
      report<std::runtime_error>(err, text, text);
      continue;
    }
    if (line.compare(g + 1, close_bracket - g - 1, section) != 0) continue;

    Section values;
    while (!input.fail()) {
      GetLine(input, line);
      const std::size_t b = skip_head_ws(line);
      if (b >= line.size()) continue;
      if (line[b] == '[') return values;
      if (comment_sign.find(line[b]) != std::string::npos) continue;
      // Searching from the first non-blank keeps a blank delimiter character from
      // splitting inside the indentation.
      const long m = find_delim(line, b);
      if (m < 0) {
        const std::string text = "No Key/Value delimiter found while parsing section [" + section + "].";
        report<std::runtime_error>(err, text + "\n", text);
        continue;
      }
      const std::size_t mi = static_cast<std::size_t>(m);
      const std::string key_part = line.substr(b, mi - b);
      const long key_last = skip_tail_ws(key_part);
      values[key_part.substr(0, static_cast<std::size_t>(key_last + 1))] = trim(line.substr(mi + 1));
    }
    return values;
  }

  const std::string text = "Section " + section + " not found.";
  report<std::domain_error>(err, text, text);
  return Section();
}

std::string IniParse::Get_Value(const std::string& section, const std::string& key,
                                std::string* err) {
  const Section values = Get_Section(section, err);
  const auto it = values.find(key);
  if (it != values.end()) return it->second;
  const std::string text = "Key " + key + " in section " + section + " not found.";
  report<std::domain_error>(err, text + "\n", text);
  return std::string();
}

std::string IniParse::Get_Value_Default(const std::string& section, const std::string& key,
                                        const std::string& def) {
  const Mode saved = mode_strict;
  auto restore = [this, saved] { mode_strict = saved; };
  OnExit<decltype(restore)> guard(restore);
  mode_strict = IP_ERROR;
  try {
    return Get_Value(section, key, nullptr);
  } catch (const std::domain_error&) {
    // Missing file, section or key: the caller's default stands in.
    return def;
  }
}

std::vector<std::string> IniParse::Get_Value_List(const std::string& section,
                                                  const std::string& key,
                                                  const std::vector<std::string>& delims,
                                                  std::string* err) {
  Tokenizer tokens(delims);
  tokens.push_back(Get_Value(section, key, err));
  std::vector<std::string> items;
  items.reserve(tokens.size());
  for (const std::string& t : tokens) items.push_back(trim(t));
  return items;
}

std::vector<std::string> IniParse::Get_All_Sections(std::string* err) {
  open();
  std::vector<std::string> names;
  std::string line;
  try {
    while (input.good()) {
      GetLine(input, line);
      const std::size_t g = skip_head_ws(line);
      if (g >= line.size() || line[g] != '[') continue;
      const std::size_t close_bracket = line.find(']', g);
      if (close_bracket == std::string::npos) {
        const std::string text = "No correct section head found while parsing line <" + line + ">.";
        report<std::runtime_error>(err, text + "\n", text);
        continue;
      }
      names.push_back(line.substr(g + 1, close_bracket - g - 1));
    }
  } catch (const std::runtime_error&) {
    close();
    throw;
  }
  // Left open at the top of the file.
  open();
  return names;
}

std::map<std::string, IniParse::Section> IniParse::Get_IniFile(std::string* err) {
  std::map<std::string, Section> file;
  for (const std::string& name : Get_All_Sections(err)) {
    if (file.count(name) == 0) file[name] = Get_Section(name, err);
  }
  return file;
}

std::ostream& IniParse::operator<<(std::ostream& out) {
  open(true);
  char buffer[4096];
  while (input) {
    input.read(buffer, sizeof buffer);
    const std::streamsize n = input.gcount();
    if (n <= 0) break;
    out.write(buffer, n);
  }
  close();
  return out;
}

std::ostream& operator<<(std::ostream& out, IniParse& parser) { return parser.operator<<(out); }

}  // namespace orvane
