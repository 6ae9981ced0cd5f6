#pragma once

#include <QByteArray>

// An encoded picture of the given size, for serving from a fixture server.
// format: "JPG", "PNG", "GIF", "BMP", "WEBP".
QByteArray makePicture(int width, int height, const char *format = "JPG");
