// The usage text of the qw77 executable beyond its options: the environment and files it
// reads, laid out as help2man reads it.
#pragma once

#include <string>

namespace qw77::app {

std::string HelpFooter(const std::string& data_folder, const std::string& ports_file);

}  // namespace qw77::app
