// Old path of dialogapp.h, kept for code that includes it.
#include "frontend/dialogapp.h"
