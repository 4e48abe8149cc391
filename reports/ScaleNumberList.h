// Column-width lists of layout files ("500,200,300") scaled to page pixels.
#pragma once

#include <string>

// Each number of the comma list times factor, to the nearest integer (halves
// away from zero), joined by ","; the list ends at its first blank piece and
// pieces that begin with "#" are left out. A blank text gives "".
std::string ScaleNumberList(const char* text, double factor);
