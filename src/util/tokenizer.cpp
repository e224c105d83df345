// Tokenizer: splitting at delimiter strings in priority order.
// SPDX-License-Identifier: MIT
#include "util/tokenizer.h"

#include <cstring>

namespace orvane {

Tokenizer::Tokenizer() = default;

Tokenizer::Tokenizer(const std::string& delim) {
  // An empty delimiter would match everywhere without moving on.
  if (!delim.empty()) Delims.push_back(delim);
}

Tokenizer::Tokenizer(const std::vector<std::string>& delims) {
  for (const std::string& d : delims) {
    if (!d.empty()) Delims.push_back(d);
  }
}

void Tokenizer::push_back(const std::string& text) {
  Token_Rep.clear();
  String_Rep = text;
  Vector_Rep = text;
  len = static_cast<int>(text.size());
  tokenize();
}

void Tokenizer::push_back(const std::vector<char>& chars) {
  Token_Rep.clear();
  Vector_Rep.append(chars.begin(), chars.end());
  tokenize();
}

std::string Tokenizer::CS_to_TS(const char* c_string) {
  return c_string ? std::string(c_string) : std::string();
}

char* Tokenizer::TS_to_CS(const std::string& s) {
  char* copy = new char[s.size() + 1];
  std::memcpy(copy, s.data(), s.size());
  copy[s.size()] = '\0';
  return copy;
}

std::string Tokenizer::find_next_token(const std::string& text, std::size_t& position) const {
  std::size_t end = text.size();
  std::size_t next = position;
  for (const std::string& d : Delims) {
    const std::size_t found = text.find(d, position);
    // Strictly before: at a tie the delimiter earlier in the list keeps the split.
    if (found == std::string::npos || found >= end) continue;
    end = found;
    next = found + d.size();
    while (next + d.size() <= text.size() && text.compare(next, d.size(), d) == 0) {
      next += d.size();
    }
  }
  if (next == position) {
    std::string rest = position < text.size() ? text.substr(position) : std::string();
    position = text.size();
    return rest;
  }
  std::string segment = text.substr(position, end - position);
  position = next;
  return segment;
}

void Tokenizer::tokenize() {
  std::size_t position = 0;
  while (position < Vector_Rep.size()) {
    std::string segment = find_next_token(Vector_Rep, position);
    if (!segment.empty()) Token_Rep.push_back(std::move(segment));
  }
}

}  // namespace orvane
