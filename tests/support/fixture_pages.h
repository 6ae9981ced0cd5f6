#pragma once

// The marketplace page generators live in the program (the demo serves them too).
#include "shell/demo/demo_pages.h"
