#pragma once

// The marketplace page generators live in the program (the demo serves them too).
#include "shell/demo_pages.h"
