// Form: PHP's decoding of application/x-www-form-urlencoded bodies, field by field.
// SPDX-License-Identifier: MIT
#include "airline/php_form.h"

#include <utility>

namespace orvane::airline {

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// PHP's variable-name cleaning, without its array syntax.
std::string clean_name(std::string name) {
  std::size_t lead = 0;
  while (lead < name.size() && name[lead] == ' ') ++lead;
  name.erase(0, lead);
  for (char& c : name) {
    if (c == ' ' || c == '.') c = '_';
  }
  return name;
}

}  // namespace

std::string url_decode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
               hex_value(text[i + 2]) >= 0) {
      out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

Form::Form(std::string_view body) {
  std::size_t start = 0;
  while (start < body.size()) {
    std::size_t end = body.find('&', start);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view piece = body.substr(start, end - start);
    start = end + 1;
    if (piece.empty()) continue;
    const std::size_t equals = piece.find('=');
    FormField field;
    field.name = clean_name(url_decode(piece.substr(0, equals)));
    if (equals != std::string_view::npos) field.value = url_decode(piece.substr(equals + 1));
    if (field.name.empty()) continue;
    fields_.push_back(std::move(field));
  }
}

std::optional<std::string> Form::get(const std::string& name) const {
  for (auto it = fields_.rbegin(); it != fields_.rend(); ++it) {
    if (it->name == name) return it->value;
  }
  return std::nullopt;
}

std::string Form::value(const std::string& name) const { return get(name).value_or(""); }

}  // namespace orvane::airline
