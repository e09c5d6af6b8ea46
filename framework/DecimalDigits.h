#pragma once
// The decimal digits of a double as printf writes them: from the exact binary value, rounded to
// the nearest, ties to even. Small and table-free, for the formatter's "%f", "%e" and "%g".
#include <string>

// `value` (finite, not negative) with `precision` digits after the point: "%.Nf".
std::string FixedDigits(double value, int precision);

// `value` (finite, not negative) as "d.ddde+XX" with `precision` digits after the point: "%.Ne".
std::string ScientificDigits(double value, int precision);

// `value` (finite, not negative) with `precision` significant digits (0 counts as 1), fixed or
// scientific as the exponent decides, trailing zeros of the fraction removed: "%.Ng".
std::string GeneralDigits(double value, int precision);
