#!/usr/bin/env python3
"""Compares the functions the public headers declare with what a built
library exports: the ELF dynamic symbols of libvokx1.so, or the export table of
vokx1.dll as objdump -p prints it. With --def (the .def file the linker writes
for the 32-bit DLL) it also checks that every export is stdcall and that its
@N, the bytes the callee pops, matches the parameters the header declares.
With --sources DIR it checks instead that every declared name occurs as a
whole word in some file under DIR, so that grep finds each entry point.
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


def param_bytes(params):
    total = 0
    for param in params.split(","):
        words = re.sub(r"\bconst\b", "", param).split()
        if "*" in param or "[" in param:
            total += 4
        elif words != ["void"]:
            total += STACK_BYTES.get(" ".join(words[:-1]), -1000)  # an unknown type never matches
    return total


def exported(library, objdump):
    if not objdump:
        out = subprocess.run(["nm", "-D", "--defined-only", library], check=True, capture_output=True, text=True)
        return {p[2].split("@")[0] for p in map(str.split, out.stdout.splitlines())
                if len(p) == 3 and p[1] in "TtWiDdBbRrVv"}
    out = subprocess.run([objdump, "-p", library], check=True, capture_output=True, text=True).stdout
    table = out.split("[Ordinal/Name Pointer] Table", 1)[-1].split("\n\n", 1)[0]
    return set(re.findall(r"^\s*\[\s*\d+\]\s+(\S+)", table, re.M))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--header-dir", required=True)
    ap.add_argument("--library")
    ap.add_argument("--sources", help="a source tree that must spell out every declared name")
    ap.add_argument("--pe-objdump", help="objdump for a DLL's export table")
    ap.add_argument("--def", dest="def_file", help="the .def the linker wrote for a 32-bit DLL")
    args = ap.parse_args()
    want = {}
    for path in pathlib.Path(args.header_dir).rglob("*.h"):
        want.update(DECL.findall(re.sub(r"/\*.*?\*/", "", path.read_text(), flags=re.S)))
    if args.sources:
        words = set()
        for path in pathlib.Path(args.sources).rglob("*"):
            if path.is_file():
                code = re.sub(r"//[^\n]*|/\*.*?\*/", "", path.read_text(errors="replace"), flags=re.S)
                words.update(re.findall(r"\w+", code))  # code only: a name in a comment does not count
        missing = sorted(want.keys() - words)
        print(f"{len(want)} declared, {len(missing)} not spelled out under {args.sources}")
        for name in missing:
            print(f"not in sources: {name}")
        return 1 if missing or not want else 0
    if not args.library:
        ap.error("--library or --sources is required")
    have = exported(args.library, args.pe_objdump)
    problems = [f"declared but not exported: {n}" for n in sorted(want.keys() - have)]
    problems += [f"exported but not declared: {n}" for n in sorted(have - want.keys())]
    print(f"{len(want)} declared, {len(have)} exported")
    if args.def_file:  # the linker's .def lists 'name = name@N' for a stdcall export
        popped = dict(re.findall(r"^\s*(\w+)\s*=\s*\w+@(\d+)", pathlib.Path(args.def_file).read_text(), re.M))
        for name, params in sorted(want.items()):
            if name not in popped:
                problems.append(f"{name}: not stdcall in {args.def_file}")
            elif int(popped[name]) != param_bytes(params):
                problems.append(f"{name}: pops {popped[name]} bytes, declared parameters take {param_bytes(params)}")
        if not problems:
            print("all exports decorated as declared")
    for line in problems:
        print(line)
    return 1 if problems or not want else 0


if __name__ == "__main__":
    sys.exit(main())
