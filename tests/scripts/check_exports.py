#!/usr/bin/env python3
"""Compares the functions the public headers declare with what a built
library exports: the ELF dynamic symbols of libvokx1.so, or the export table of
vokx1.dll as objdump -p prints it. With --def (the .def file the linker writes
for the 32-bit DLL) it also checks that every export is stdcall and that its
@N, the bytes the callee pops, matches the parameters the header declares.
Exit status 1 and a list on any difference."""
import argparse
import pathlib
import re
import subprocess
import sys

DECL = re.compile(r"VOK_API\s+[^;{]*?\bVOK_CALL\s+(\w+)\s*\(([^)]*)\)")
# Stack bytes of a parameter passed by value on 32-bit x86: scalars widen to
# 4, records take their size rounded up to 4. Pointers take 4.
STACK_BYTES = {"int": 4, "unsigned int": 4, "short": 4, "float": 4, "double": 8, "VokReportFunc": 4,
               "ShortComplex": 4, "FloatComplex": 8, "IntComplex": 8, "DoubleComplex": 16}


def declared(header_dir):
    """Each declared function with its parameter list."""
    found = {}
    for path in pathlib.Path(header_dir).rglob("*.h"):
        text = re.sub(r"/\*.*?\*/", "", path.read_text(), flags=re.S)
        found.update(DECL.findall(text))
    return found


def param_bytes(params):
    total = 0
    for param in params.split(","):
        words = re.sub(r"\bconst\b", "", param).split()
        if "*" in param or "[" in param:
            total += 4
        elif words != ["void"]:
            total += STACK_BYTES.get(" ".join(words[:-1]), -1000)  # an unknown type never matches
    return total


def decoration_mismatches(want, def_file):
    """The linker's .def lists 'name = name@N' for a stdcall export."""
    popped = dict(re.findall(r"^\s*(\w+)\s*=\s*\w+@(\d+)", pathlib.Path(def_file).read_text(), re.M))
    bad = []
    for name, params in sorted(want.items()):
        if name not in popped:
            bad.append(f"{name}: not stdcall in {def_file}")
        elif int(popped[name]) != param_bytes(params):
            bad.append(f"{name}: pops {popped[name]} bytes, declared parameters take {param_bytes(params)}")
    return bad


def exported_elf(library):
    out = subprocess.run(["nm", "-D", "--defined-only", library], check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] in "TtWiDdBbRrVv":
            names.add(parts[2].split("@")[0])
    return names


def exported_pe(library, objdump):
    out = subprocess.run([objdump, "-p", library], check=True, capture_output=True, text=True).stdout
    names, in_table = set(), False
    for line in out.splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            in_table = True
            continue
        if in_table:
            m = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
            if m:
                names.add(m.group(1))
            elif line.strip() == "":
                break
    return names


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--header-dir", required=True)
    ap.add_argument("--library", required=True)
    ap.add_argument("--pe-objdump", help="objdump for a DLL's export table")
    ap.add_argument("--def", dest="def_file", help="the .def the linker wrote for a 32-bit DLL")
    args = ap.parse_args()
    want = declared(args.header_dir)
    have = exported_pe(args.library, args.pe_objdump) if args.pe_objdump else exported_elf(args.library)
    missing, extra = sorted(want.keys() - have), sorted(have - want.keys())
    for name in missing:
        print("declared but not exported:", name)
    for name in extra:
        print("exported but not declared:", name)
    print(f"{len(want)} declared, {len(have)} exported")
    undecorated = decoration_mismatches(want, args.def_file) if args.def_file else []
    for line in undecorated:
        print(line)
    if args.def_file and not undecorated:
        print("all exports decorated as declared")
    return 1 if missing or extra or undecorated or not want else 0


if __name__ == "__main__":
    sys.exit(main())
