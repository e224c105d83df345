// Tests of the Tokenizer: delimiter priority, run collapsing and both kinds of push_back.
// SPDX-License-Identifier: MIT
#include "util/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

using Tokens = std::vector<std::string>;

Tokens tokens_of(const Tokenizer& t) { return Tokens(t.begin(), t.end()); }

Tokens split(const std::vector<std::string>& delims, const std::string& text) {
  Tokenizer t(delims);
  t.push_back(text);
  return tokens_of(t);
}

TEST(Tokenizer, SplitsAPirepLineAtEqualsAndDropsPadSigns) {
  EXPECT_EQ(split({"="}, "Comment=SGVsbG8gV29ybGQ=="), (Tokens{"Comment", "SGVsbG8gV29ybGQ"}));
}

TEST(Tokenizer, DelimitersAtTheEdgesAndInRunsGiveNoTokens) {
  EXPECT_EQ(split({"="}, "=x"), (Tokens{"x"}));
  EXPECT_EQ(split({"="}, "===="), Tokens{});
  EXPECT_EQ(split({"|"}, "|1|12345||PosRep 0:5|"), (Tokens{"1", "12345", "PosRep 0:5"}));
  EXPECT_EQ(split({"ab"}, "xababy"), (Tokens{"x", "y"}));
  // A run is collapsed only for the same delimiter string, whole repeats at a time.
  EXPECT_EQ(split({"aa"}, "xaaay"), (Tokens{"x", "ay"}));
}

TEST(Tokenizer, AnyDelimiterOfTheListSplits) {
  EXPECT_EQ(split({" ", ","}, "a, b"), (Tokens{"a", "b"}));
  EXPECT_EQ(split({" ", ","}, " 1,2  3 ,,4 "), (Tokens{"1", "2", "3", "4"}));
}

TEST(Tokenizer, EarlierDelimiterWinsAtTheSameIndex) {
  EXPECT_EQ(split({"a", "ab"}, "xaby"), (Tokens{"x", "by"}));
  EXPECT_EQ(split({"ab", "a"}, "xaby"), (Tokens{"x", "y"}));
}

TEST(Tokenizer, FindNextTokenAdvancesPastTheDelimiterRun) {
  Tokenizer t(std::vector<std::string>{";", "--"});
  const std::string text = "ab;;;cd--e";
  std::size_t pos = 0;
  EXPECT_EQ(t.find_next_token(text, pos), "ab");
  EXPECT_EQ(pos, 5u);
  EXPECT_EQ(t.find_next_token(text, pos), "cd");
  EXPECT_EQ(pos, 9u);
  EXPECT_EQ(t.find_next_token(text, pos), "e");
  EXPECT_EQ(pos, text.size());
  EXPECT_EQ(t.find_next_token(text, pos), "");
  EXPECT_EQ(pos, text.size());
}

TEST(Tokenizer, WithoutDelimitersTheTextIsOneToken) {
  Tokenizer t;
  t.push_back("one two");
  EXPECT_EQ(tokens_of(t), (Tokens{"one two"}));
  t.push_back("");
  EXPECT_TRUE(t.empty());
  EXPECT_EQ(t.size(), 0u);
}

TEST(Tokenizer, EmptyDelimiterStringsAreIgnored) {
  Tokenizer single{std::string()};
  single.push_back("a b");
  EXPECT_EQ(tokens_of(single), (Tokens{"a b"}));
  EXPECT_EQ(split({"", ",", ""}, "a,,b"), (Tokens{"a", "b"}));
}

TEST(Tokenizer, SecondStringPushBackReplacesAllTokens) {
  Tokenizer t(",");
  t.push_back("a,b,c");
  ASSERT_EQ(t.size(), 3u);
  t.push_back("x");
  EXPECT_EQ(tokens_of(t), (Tokens{"x"}));
  EXPECT_EQ(t[0], "x");
}

TEST(Tokenizer, CharacterPushBackTokenizesTheJoinedText) {
  Tokenizer t(",");
  t.push_back(std::vector<char>{'a', 'b', ','});
  EXPECT_EQ(tokens_of(t), (Tokens{"ab"}));
  t.push_back(std::vector<char>{'c', 'd'});
  EXPECT_EQ(tokens_of(t), (Tokens{"ab", "cd"}));
  // A delimiter split over two calls is found in the joined text.
  Tokenizer u("::");
  u.push_back(std::vector<char>{'x', ':'});
  EXPECT_EQ(tokens_of(u), (Tokens{"x:"}));
  u.push_back(std::vector<char>{':', 'y'});
  EXPECT_EQ(tokens_of(u), (Tokens{"x", "y"}));
}

TEST(Tokenizer, CharacterPushBackContinuesTheLastStringText) {
  Tokenizer t(" ");
  t.push_back("EDDF EDD");
  t.push_back(std::vector<char>{'M', ' ', 'L'});
  EXPECT_EQ(tokens_of(t), (Tokens{"EDDF", "EDDM", "L"}));
}

TEST(Tokenizer, IterationAndComparison) {
  Tokenizer a("|");
  a.push_back("1|2|3");
  const Tokenizer& ca = a;
  EXPECT_EQ(Tokens(ca.rbegin(), ca.rend()), (Tokens{"3", "2", "1"}));
  EXPECT_GE(ca.max_size(), ca.size());

  Tokenizer b(std::vector<std::string>{",", ";"});
  b.push_back("1,2;3");
  EXPECT_TRUE(a == b);  // only the tokens count, not delimiters or texts
  EXPECT_FALSE(a != b);
  EXPECT_TRUE(a == a);

  Tokenizer c("|");
  c.push_back("1|2|4");
  EXPECT_TRUE(a < c);
  EXPECT_FALSE(c < a);
  EXPECT_TRUE(a != c);
}

TEST(Tokenizer, CopiesAreIndependent) {
  Tokenizer a(",");
  a.push_back(std::vector<char>{'p', ','});
  Tokenizer b = a;
  b.push_back(std::vector<char>{'q'});
  EXPECT_EQ(tokens_of(a), (Tokens{"p"}));
  EXPECT_EQ(tokens_of(b), (Tokens{"p", "q"}));
  a = a;  // self-assignment keeps everything
  EXPECT_EQ(tokens_of(a), (Tokens{"p"}));
  a = b;
  EXPECT_EQ(tokens_of(a), (Tokens{"p", "q"}));
}

TEST(Tokenizer, CStringConversions) {
  EXPECT_EQ(Tokenizer::CS_to_TS("KJFK"), "KJFK");
  EXPECT_EQ(Tokenizer::CS_to_TS(""), "");
  char* copy = Tokenizer::TS_to_CS("EDDM");
  EXPECT_STREQ(copy, "EDDM");
  delete[] copy;
  copy = Tokenizer::TS_to_CS("");
  EXPECT_STREQ(copy, "");
  delete[] copy;
}

}  // namespace
}  // namespace orvane
