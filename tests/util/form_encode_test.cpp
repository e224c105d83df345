// Tests of form_encode: the bytes a form decoder would change are percent-encoded, no other.
// SPDX-License-Identifier: MIT
#include "util/form_encode.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

TEST(FormEncode, FormSeparatorsAndThePercentSignAreEncoded) {
  EXPECT_EQ(form_encode("p&ss+w%rd=1"), "p%26ss%2Bw%25rd%3D1");
  EXPECT_EQ(form_encode("%%"), "%25%25");
  EXPECT_EQ(form_encode("a=b&c=d"), "a%3Db%26c%3Dd");
}

TEST(FormEncode, Base64PlusAndPaddingAreEncodedAndTheSlashIsKept) {
  EXPECT_EQ(form_encode("Pz8+Pj4/Zm9v+w=="), "Pz8%2BPj4/Zm9v%2Bw%3D%3D");
}

TEST(FormEncode, LineBreaksAndControlBytesAreEncoded) {
  EXPECT_EQ(form_encode("[07/04/2026 14:05Z]\nMessage:\r\n"),
            "[07/04/2026 14:05Z]%0AMessage:%0D%0A");
  EXPECT_EQ(form_encode(std::string("a\0b", 3)), "a%00b");
  EXPECT_EQ(form_encode("\t\x1F\x7F"), "%09%1F%7F");
}

TEST(FormEncode, BytesOutsideAsciiAreEncodedWithUpperCaseHex) {
  EXPECT_EQ(form_encode("M\xC3\xBCnchen"), "M%C3%BCnchen");
  EXPECT_EQ(form_encode("\xFF\x80"), "%FF%80");
}

TEST(FormEncode, EveryOtherPrintableByteStaysAsWritten) {
  std::string printable;
  for (char c = 0x20; c < 0x7F; ++c) {
    if (c != '%' && c != '&' && c != '+' && c != '=') printable += c;
  }
  EXPECT_EQ(form_encode(printable), printable);
  EXPECT_EQ(form_encode("pilot|2.0 N50 1.998 E8 34.2336|EDDF~ANEKI~EDDM"),
            "pilot|2.0 N50 1.998 E8 34.2336|EDDF~ANEKI~EDDM");
  EXPECT_EQ(form_encode(""), "");
}

}  // namespace
}  // namespace orvane
