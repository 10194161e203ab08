// Saves what the screen shows as a 24-bit BMP file, when the environment
// variable QUORVANE_SCREENSHOTS names a directory; name is the file's base
// name. Does nothing otherwise, so tests run the same with or without it.
// settle: how long to let the last repaint reach the screen first.
#pragma once
#include <string>

void SaveScreenshot(const std::string& name, unsigned settle = 300);
