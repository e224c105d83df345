// Fuzz target: Tokenizer with delimiter lists taken from the input (empty ones included),
// fed through both kinds of push_back.
// SPDX-License-Identifier: MIT
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "util/tokenizer.h"

namespace {

using orvane::Tokenizer;

std::vector<std::string> tokens_of(const Tokenizer& t) {
  return std::vector<std::string>(t.begin(), t.end());
}

// Tokens are the non-empty pieces between delimiter occurrences, in order: none is empty,
// none holds a whole delimiter, and each one lies in the text after the one before it.
void check_split(const std::vector<std::string>& tokens, const std::string& text,
                 const std::vector<std::string>& delims) {
  std::size_t from = 0;
  for (const std::string& token : tokens) {
    FUZZ_CHECK(!token.empty());
    for (const std::string& d : delims) {
      if (!d.empty()) FUZZ_CHECK(token.find(d) == std::string::npos);
    }
    const std::size_t at = text.find(token, from);
    FUZZ_CHECK(at != std::string::npos);
    from = at + token.size();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::vector<std::string> delims;
  const std::size_t count = in.ConsumeIntegralInRange<std::size_t>(0, 4);
  for (std::size_t i = 0; i < count; ++i) delims.push_back(in.ConsumeRandomLengthString(6));
  const std::string text = in.ConsumeRandomLengthString();
  const std::string rest_text = in.ConsumeRemainingBytesAsString();
  const std::vector<char> rest(rest_text.begin(), rest_text.end());

  std::vector<std::string> non_empty;
  for (const std::string& d : delims) {
    if (!d.empty()) non_empty.push_back(d);
  }

  Tokenizer t(delims);
  t.push_back(text);
  const std::vector<std::string> tokens = tokens_of(t);
  check_split(tokens, text, delims);
  FUZZ_CHECK(t.size() == tokens.size());
  FUZZ_CHECK(t.empty() == tokens.empty());
  for (std::size_t i = 0; i < t.size(); ++i) FUZZ_CHECK(t[i] == tokens[i]);
  FUZZ_CHECK(std::equal(t.rbegin(), t.rend(), tokens.rbegin(), tokens.rend()));

  // Empty delimiters are ignored.
  Tokenizer only_non_empty(non_empty);
  only_non_empty.push_back(text);
  FUZZ_CHECK(only_non_empty == t);
  if (non_empty.empty()) {
    FUZZ_CHECK(tokens ==
               (text.empty() ? std::vector<std::string>{} : std::vector<std::string>{text}));
  }
  if (delims.size() == 1) {
    Tokenizer single(delims[0]);
    single.push_back(text);
    FUZZ_CHECK(single == t);
  }

  // The tokenization is the find_next_token steps with the empty segments dropped.
  {
    std::vector<std::string> stepped;
    std::size_t position = 0;
    while (position < text.size()) {
      const std::size_t before = position;
      const std::string segment = t.find_next_token(text, position);
      FUZZ_CHECK(position > before && position <= text.size());
      if (!segment.empty()) stepped.push_back(segment);
    }
    FUZZ_CHECK(stepped == tokens);
  }

  // Copies are independent; equality and order look at the tokens only.
  Tokenizer copy(t);
  FUZZ_CHECK(copy == t && !(copy != t));
  FUZZ_CHECK(!(t < copy) && !(copy < t));

  // The character variant tokenizes everything pushed so far as one text.
  t.push_back(rest);
  Tokenizer joined(delims);
  joined.push_back(text + rest_text);
  FUZZ_CHECK(t == joined);
  check_split(tokens_of(t), text + rest_text, delims);
  FUZZ_CHECK(copy == only_non_empty);  // untouched by the pushes on t

  Tokenizer from_chars(delims);
  from_chars.push_back(std::vector<char>(text.begin(), text.end()));
  FUZZ_CHECK(tokens_of(from_chars) == tokens);

  // A new string replaces whatever was held before.
  t.push_back(text);
  FUZZ_CHECK(tokens_of(t) == tokens);

  if (text.find('\0') == std::string::npos) {
    char* c_string = Tokenizer::TS_to_CS(text);
    FUZZ_CHECK(Tokenizer::CS_to_TS(c_string) == text);
    delete[] c_string;
  }
  return 0;
}
