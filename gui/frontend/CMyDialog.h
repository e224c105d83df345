// Old path of maindialog.h, kept for code that includes it.
#include "frontend/maindialog.h"
