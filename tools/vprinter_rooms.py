#!/usr/bin/env python3
"""Checks that the virtual printer's rooms depend one way down:

    app -> endpoints -> printer -> framing, paper

Every source file under vprinter/ must sit in one of the five rooms and include only its own
room and the rooms below it; the window (frontend/) may include only printer, framing and
paper. With --binary PATH (the built qw77 executable) it also checks that none of the
endpoints' code was linked into it.

Run from the checkout's root:  python3 tools/vprinter_rooms.py [--binary build/debug/bin/qw77]
Prints one line per finding and a summary; exits 1 on any finding.

The build enforces the same order (each room's include root holds only its own folder and
it links only the rooms below it); this script says it in words and covers the binary."""
import os
import re
import subprocess
import sys

BELOW = {
    "app": {"endpoints", "printer", "framing", "paper"},
    "endpoints": {"printer", "framing", "paper"},
    "printer": {"framing", "paper"},
    "framing": set(),
    "paper": set(),
}
# What the window's preview may use: the printer without its interfaces.
WINDOW_MAY_USE = {"printer", "framing", "paper"}
ENDPOINT_SYMBOLS = re.compile(
    r"qw77::vprinter::(SerialEndpoint|ParallelEndpoint|TcpEndpoint|Server|SerialLink|"
    r"RemoveOnCrash|RegisterCrashCleanup)")
INCLUDE = re.compile(r'^\s*#\s*include\s*"vprinter/([^/"]+)/')


def sources(root, folder):
    out = subprocess.run(["git", "-C", root, "ls-files", folder], capture_output=True,
                         text=True, check=True).stdout.split()
    return [f for f in out if f.endswith((".cpp", ".h"))]


def included_rooms(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                yield number, m.group(1)


def check(root, binary):
    findings = []
    for f in sources(root, "vprinter"):
        parts = f.split("/")
        room = parts[1] if len(parts) > 2 else None
        if room not in BELOW:
            findings.append("%s: not in a room (%s)" % (f, ", ".join(sorted(BELOW))))
            continue
        for number, target in included_rooms(os.path.join(root, f)):
            if target != room and target not in BELOW[room]:
                findings.append("%s:%d: %s includes %s, which is not below it" %
                                (f, number, room, target))
    for f in sources(root, "frontend"):
        for number, target in included_rooms(os.path.join(root, f)):
            if target not in WINDOW_MAY_USE:
                findings.append("%s:%d: the window includes the printer's %s" %
                                (f, number, target))
    if binary:
        symbols = subprocess.run(["nm", "-C", binary], capture_output=True, text=True).stdout
        linked = sorted({m.group(1) for m in ENDPOINT_SYMBOLS.finditer(symbols)})
        if linked:
            findings.append("%s holds the printer's endpoint code: %s" %
                            (binary, ", ".join(linked)))
    return findings


def main(argv):
    binary = None
    if len(argv) == 3 and argv[1] == "--binary":
        binary = argv[2]
    elif len(argv) != 1:
        print(__doc__)
        return 2
    findings = check(os.getcwd(), binary)
    for line in findings:
        print(line)
    print("vprinter rooms: %d findings (app -> endpoints -> printer -> framing, paper)%s" %
          (len(findings), ", %s checked" % binary if binary else ""))
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
