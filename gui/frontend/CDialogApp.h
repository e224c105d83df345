// Old path of dialogapp.h, kept for code that includes it.
// SPDX-License-Identifier: MIT
#include "frontend/dialogapp.h"
