// The window program's start-up messages: a folder held by another ORVANE, and a folder that
// cannot be written, each told once in a box with the reason.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "framework/dialoghelpers.h"
#include "frontend/startup.h"
#include "gui_support.h"
#include "support/temp_dir.h"
#include "util/working_folder.h"

namespace orvane {
namespace {

TEST(StartUpTest, AFolderHeldByAnotherORVANEIsToldWithItsProcessInABoxAndOnStderr) {
  test::TempDir dir;
  // The lock is one per opening of the file: a first holder in this process stands for the
  // other ORVANE (orvane-cli's process tests take it from two real programs).
  auto other = std::make_unique<WorkingFolderLock>(dir.path().string());
  ASSERT_TRUE(other->held());
  WorkingFolderLock mine(dir.path().string());
  ASSERT_TRUE(mine.taken());
  test::MessageBoxScript boxes;
  ::testing::internal::CaptureStderr();
  showFolderTaken(mine.message());
  const std::string err = ::testing::internal::GetCapturedStderr();
  const std::string want = "ORVANE is already running in the folder [" + dir.path().string() +
                           "] (process " + std::to_string(::getpid()) +
                           "). Only one ORVANE may work in a folder at a time: end the other "
                           "one, or start this one in another folder.";
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, want);
  EXPECT_EQ(boxes.shown[0].caption, loadString(800));
  EXPECT_EQ(boxes.shown[0].style, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(err, "orvane: " + want + "\n");
  // The holder's end frees the folder.
  other.reset();
  WorkingFolderLock next(dir.path().string());
  EXPECT_TRUE(next.held());
}

TEST(StartUpTest, AnUnwritableFolderIsToldOnceWithTheReason) {
  // /proc takes no new files, root or not.
  test::MessageBoxScript boxes;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(reportUnwritableFolder("/proc"));
  const std::string err = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text.rfind("ORVANE cannot write in its working folder [/proc]: ", 0), 0u)
      << boxes.shown[0].text;
  EXPECT_NE(boxes.shown[0].text.find("start ORVANE in a folder you can write to."), std::string::npos);
  EXPECT_EQ(boxes.shown[0].style, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(err, "orvane: " + boxes.shown[0].text + "\n");

  test::TempDir dir;
  EXPECT_TRUE(reportUnwritableFolder(dir.path().string()));
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // the check leaves nothing behind
}

}  // namespace
}  // namespace orvane
