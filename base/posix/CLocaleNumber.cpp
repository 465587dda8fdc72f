#include "base/CLocaleNumber.h"

#include <locale.h>
#include <stdlib.h>

#include <string>

namespace qw77 {

double CLocaleToDouble(std::string_view number) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const std::string copy(number);
  return strtod_l(copy.c_str(), nullptr, c_locale);
}

}  // namespace qw77
