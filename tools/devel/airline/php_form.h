// Form: a posted form body decoded the way PHP fills $_POST, for the airline stand-in.
// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::airline {

// PHP's urldecode: "+" becomes a blank, "%" and two hex digits become that byte; a "%"
// without two hex digits after it stays as it is.
std::string url_decode(std::string_view text);

struct FormField {
  std::string name;
  std::string value;
};

// The fields of a form body as PHP's parser registers them: "&" separates the fields (empty
// ones are skipped), the first "=" separates name from value (a field without "=" has an
// empty value), both are url_decode'd, leading blanks of a name are dropped and its other
// blanks and "." become "_", and a field whose name ends up empty is dropped. Array names
// ("a[]") are kept as written.
class Form {
 public:
  Form() = default;
  explicit Form(std::string_view body);

  // Every field in body order, repeats included.
  const std::vector<FormField>& fields() const { return fields_; }
  // $_POST[name]: the last field of that name, nullopt when there is none.
  std::optional<std::string> get(const std::string& name) const;
  // get(name), or "" when there is none.
  std::string value(const std::string& name) const;
  bool has(const std::string& name) const { return get(name).has_value(); }

 private:
  std::vector<FormField> fields_;
};

}  // namespace orvane::airline
