"""Fails when the program asks more of Windows than Windows 7 SP1 gives: a function it imports
that allowed.txt does not list, or a subsystem version above 6.1, which Windows 7 refuses to
load. Either stops the program before its first line runs, so it is read from the built file.
Usage: check_imports.py OBJDUMP PROGRAM ALLOWED"""
import re
import subprocess
import sys

objdump, program, allowed_path = sys.argv[1:]
dump = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                      check=True).stdout

imports, dll = set(), None
for line in dump.splitlines():
    if named := re.match(r"\s*DLL Name: (\S+)", line):
        dll = named.group(1).lower()
    elif not line.strip():
        dll = None
    elif dll and not line.strip().startswith("vma:"):
        # "<address> <hint> <name>"; anything else (an import by ordinal) is kept whole, so
        # that it is shown rather than passed over.
        fields = line.split()
        imports.add(f"{dll}!{fields[2] if len(fields) == 3 else ' '.join(fields)}")

with open(allowed_path) as listed:
    entries = (line.split("#")[0].strip() for line in listed)
    allowed = {f"{d.lower()}!{f}" for d, _, f in (e.partition("!") for e in entries if e)}

major, minor = (int(re.search(rf"{part}SubsystemVersion\s+(\d+)", dump).group(1))
                for part in ("Major", "Minor"))
problems = []
if not imports:
    problems.append(f"no imports read from {program}: has objdump's output changed?")
if (major, minor) > (6, 1):
    problems.append(f"subsystem version {major}.{minor}: Windows 7 loads 6.1 and lower")
if new := sorted(imports - allowed):
    problems.append("imports not yet checked against Windows 7 SP1:\n  " + "\n  ".join(new) +
                    f"\nwhere the documented minimum client is Windows 7 or older, add them to "
                    f"{allowed_path}; else look the function up while the program runs")
if problems:
    sys.exit("\n".join(problems))
print(f"{len(imports)} imports, all in {allowed_path}; subsystem version {major}.{minor}")
