#include "tools/kestrune-validate/CommaLocale.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

namespace kestrune::validate {

std::string FindCommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8", "it_IT.UTF-8",
                           "es_ES.UTF-8", "pt_BR.UTF-8", "ru_RU.UTF-8", "de_DE", "fr_FR"}) {
    locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) continue;
    const bool comma = std::strcmp(nl_langinfo_l(RADIXCHAR, locale), ",") == 0;
    freelocale(locale);
    if (comma) return name;
  }
  return "";
}

}  // namespace kestrune::validate
