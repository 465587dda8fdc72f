// How this system names what the port map binds: its serial devices, the default device of
// each COM port, the folder of the ports file; and how a small settings file is read. Each
// system's own file (picked by the build) answers.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/Status.h"

namespace qw77 {

// What a COM port's SPEC may be, for messages.
std::string_view SerialSpecsTaken();
// Whether `spec` is written as one of this system's serial devices: a path from the root
// (POSIX), COMn or \\.\COMn (Windows).
bool IsSerialDeviceSpec(std::string_view spec);
// Why the serial device `spec` cannot be opened as given; empty when it can.
std::string SerialDeviceProblem(std::string_view spec);
// Whether `text` is a numeric address of the family, as the system's inet_pton reads it.
bool IsIpv4Address(const std::string& text);
bool IsIpv6Address(const std::string& text);
// The device COM1..COM3 reach without a binding (`index` 0..2).
std::string DefaultSerialDevice(std::size_t index);
// Why this system's build reaches no parallel port (LPT1, LPT2), for the port listing;
// empty where it reaches them.
std::string_view ParallelPortsMissing();
// The shell command that removes the file at `path`, quoted for this system's shell.
std::string RemoveFileCommand(const std::string& path);
// The command interpreter when Comspec names none: "/bin/sh", "cmd.exe".
std::string_view DefaultCommandInterpreter();
// The interpreter's switch that makes it run one command: "-c" (sh), "/c" (cmd.exe).
std::string_view RunOneCommandSwitch();
// The folder that holds qw77's settings (its "ports.ini"), from the environment; empty when
// the environment names none.
std::filesystem::path SettingsFolder(
    const std::function<std::optional<std::string>(std::string_view)>& env);
// The whole of a settings file of at most `max_bytes`, or nullopt in `text` when there is
// none; `what` names it in messages ("the ports file").
Status ReadSettingsFile(const std::filesystem::path& path, std::size_t max_bytes,
                        const std::string& what, std::optional<std::string>& text);

}  // namespace qw77
