# Writes OUT: a C++ file with PageFile(name) giving each of FILES (paths joined by "|") as
# a string.
string(REPLACE "|" ";" FILES "${FILES}")
set(_cases "")
foreach(_f ${FILES})
  get_filename_component(_name ${_f} NAME)
  file(READ ${_f} _text)
  string(APPEND _cases "  if (name == \"${_name}\") return R\"qw77page(${_text})qw77page\";\n")
endforeach()
file(WRITE ${OUT}.new "// Made by EmbedPage.cmake from vprinter/web/page: do not edit.
#include \"vprinter/endpoints/web/WebApi.h\"

namespace qw77::vprinter::web {

std::string_view PageFile(std::string_view name) {
${_cases}  return {};
}

}  // namespace qw77::vprinter::web
")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
