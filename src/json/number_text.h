// How a document writes a number as text: as the C format "%.13g" does, with
// the exponent written with its sign and at least three digits (1e+013), and
// always "." as the decimal point whatever the process locale says.
#pragma once

#include <string>

namespace vexaro {

std::string NumberToText(double value);

}  // namespace vexaro
