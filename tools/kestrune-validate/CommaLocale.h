#pragma once
// Finding an installed locale that writes numbers with a decimal comma, as many users' hosts run.

#include <string>

namespace kestrune::validate {

// The name of an installed locale whose decimal separator is a comma (de_DE.UTF-8 first), or ""
// when none is installed.
std::string FindCommaLocale();

}  // namespace kestrune::validate
