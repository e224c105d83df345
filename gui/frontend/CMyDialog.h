// Old path of maindialog.h, kept for code that includes it.
// SPDX-License-Identifier: MIT
#include "frontend/maindialog.h"
