#pragma once

// makePicture lives with the page generators in the program.
#include "shell/demo/demo_pages.h"
