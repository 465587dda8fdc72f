// The operator's own port settings: an INI file with a [ports] section whose keys are COM1,
// COM2, COM3, LPT1 and LPT2 (in any case), each set to an endpoint SPEC.
#pragma once

#include <array>
#include <filesystem>
#include <optional>

#include "base/Status.h"
#include "transport/Binding.h"

namespace qw77 {

// What the file names, by PortIndex; each origin reads "<file> line N".
using PortsFileBindings = std::array<std::optional<Binding>, 5>;

// The bindings of the file at `path`; none when it does not exist. Any bad line (a section
// other than [ports], an unknown or repeated key, a refused SPEC, a syntax error) refuses the
// whole file with "<file> line N: <what the line should be>"; a file that is there but cannot
// be read, or is no regular file, is refused too.
Result<PortsFileBindings> ReadPortsFile(const std::filesystem::path& path);

}  // namespace qw77
