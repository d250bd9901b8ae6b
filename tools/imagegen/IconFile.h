#pragma once

// The program icon: a small glass rosette, as a Windows .ico file holding a
// 32 x 32 and a 16 x 16 image of 16 colours each, transparent outside the
// disc.

#include <string>

// False when the file cannot be written.
bool writeIcon(const std::string& path);
