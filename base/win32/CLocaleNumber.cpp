#include <locale.h>
#include <stdlib.h>

#include <string>

#include "base/CLocaleNumber.h"

namespace qw77 {

double CLocaleToDouble(std::string_view number) {
  static const _locale_t c_locale = _create_locale(LC_ALL, "C");
  const std::string copy(number);
  return _strtod_l(copy.c_str(), nullptr, c_locale);
}

}  // namespace qw77
