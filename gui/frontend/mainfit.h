// The main window on a small screen: everything above Quit scrolls.
// SPDX-License-Identifier: MIT
#pragma once

class QDialog;

namespace orvane {

// Puts the form's groups (flight number to PIREP data) into a scroll area; Quit and the
// status line stay below it, always in view. At its full size the window shows everything
// without scroll bars; below that size (a small screen at a large scale) the groups scroll.
void fitToSmallScreens(QDialog* window);

}  // namespace orvane
