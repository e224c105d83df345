// Tokenizer: splits a text at any of a list of delimiter strings, dropping empty tokens.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orvane {

class Tokenizer {
 public:
  using const_iterator = std::vector<std::string>::const_iterator;
  using const_reverse_iterator = std::vector<std::string>::const_reverse_iterator;

  Tokenizer();
  // Empty delimiter strings are ignored.
  explicit Tokenizer(const std::string& delim);
  explicit Tokenizer(const std::vector<std::string>& delims);

  // Replaces the tokens with those of text.
  void push_back(const std::string& text);
  // Appends chars to the text held so far and tokenizes the whole of it again.
  void push_back(const std::vector<char>& chars);

  const std::string& operator[](std::size_t i) const { return Token_Rep[i]; }
  std::size_t size() const { return Token_Rep.size(); }
  bool empty() const { return Token_Rep.empty(); }
  std::size_t max_size() const { return Token_Rep.max_size(); }

  const_iterator begin() const { return Token_Rep.begin(); }
  const_iterator end() const { return Token_Rep.end(); }
  const_reverse_iterator rbegin() const { return Token_Rep.rbegin(); }
  const_reverse_iterator rend() const { return Token_Rep.rend(); }

  bool operator==(const Tokenizer& other) const { return Token_Rep == other.Token_Rep; }
  bool operator!=(const Tokenizer& other) const { return !(*this == other); }
  bool operator<(const Tokenizer& other) const { return Token_Rep < other.Token_Rep; }

  static std::string CS_to_TS(const char* c_string);
  // Newly allocated zero-terminated copy; the caller frees it with delete[].
  static char* TS_to_CS(const std::string& s);

  // One tokenization step: the segment from position to the next delimiter; advances
  // position past the delimiter and any immediate repeats of it.
  std::string find_next_token(const std::string& text, std::size_t& position) const;

 private:
  void tokenize();

  std::string String_Rep;
  std::string Vector_Rep;
  std::vector<std::string> Token_Rep;
  int len = 0;
  std::vector<std::string> Delims;
};

}  // namespace orvane
