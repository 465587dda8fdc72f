#pragma once

#include <string>
#include <string_view>

// Where a test finds the checkout and the build's own programs. The folders are compiled into
// one small generated file rather than written on every test file's command line, so that the
// compiler cache still serves the test files to a checkout in another folder.
namespace qw77::test {

// A file or folder of the checkout, by its path from the checkout's root.
std::string SourcePath(std::string_view relative);

// The build's bin folder: its programs and the logos drawn at build time.
std::string BinDir();

// A file in the build's bin folder ("qw77-cli", "ORVAL.BMP").
std::string BinPath(std::string_view name);

}  // namespace qw77::test
