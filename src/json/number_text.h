// How a document writes a number as text: as the C format "%.13g" does, with
// the exponent written with its sign and at least three digits (1e+013), and
// always "." as the decimal point whatever the process locale says.
#pragma once

#include <string>

namespace vexaro {

std::string NumberToText(double value);

// The shortest text that reads back as exactly `value`, in a form JavaScript
// accepts as a number literal ("nan" and "inf" for the values without one).
std::string NumberToExactText(double value);

}  // namespace vexaro
