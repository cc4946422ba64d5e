#!/usr/bin/env python3
"""Compares the functions the public headers declare with what a built
library exports: the ELF dynamic symbols of libvokx1.so, or the export table of
vokx1.dll as objdump -p prints it. Exit status 1 and a list on any difference."""
import argparse
import pathlib
import re
import subprocess
import sys

DECL = re.compile(r"VOK_API\s+[^;{]*?\bVOK_CALL\s+(\w+)\s*\(")


def declared(header_dir):
    names = set()
    for path in pathlib.Path(header_dir).rglob("*.h"):
        text = re.sub(r"/\*.*?\*/", "", path.read_text(), flags=re.S)
        names.update(DECL.findall(text))
    return names


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
    args = ap.parse_args()
    want = declared(args.header_dir)
    have = exported_pe(args.library, args.pe_objdump) if args.pe_objdump else exported_elf(args.library)
    missing, extra = sorted(want - have), sorted(have - want)
    for name in missing:
        print("declared but not exported:", name)
    for name in extra:
        print("exported but not declared:", name)
    print(f"{len(want)} declared, {len(have)} exported")
    return 1 if missing or extra or not want else 0


if __name__ == "__main__":
    sys.exit(main())
