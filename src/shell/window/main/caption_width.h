#pragma once

class QPushButton;

// The width a button needs to show its whole caption in the present look
// (the style's or the skin's frame and padding, and a little air), whatever
// the font and the display scaling.
int captionWidth(const QPushButton *button);
