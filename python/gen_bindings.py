#!/usr/bin/env python3
"""Writes vokx1/_api.py, the ctypes prototypes of every exported function, from
the public headers (include/vok.h and include/vok/*.h).

    python3 python/gen_bindings.py [--include DIR] [--out FILE | --check FILE]

--check exits 1 when FILE differs from what the headers give (the test suite
runs it). Records become ctypes Structures with the headers' packing, enums
and #defines become constants, and every `VOK_API <result> VOK_CALL <name>(...)`
declaration becomes one table entry. Element pointers are c_void_p (pass
`array.ctypes.data`), pointers to records POINTER(record)."""
import argparse
import pathlib
import re
import sys

HEADER_ORDER = ["types", "frame", "vector", "int16", "elementwise", "convert", "companding", "transform",
                "dft", "fir", "firdesign", "iir", "lms", "convolution", "conv2d", "signal", "wavelet"]
SCALARS = {"int": "c_int", "unsigned int": "c_uint", "short": "c_short", "float": "c_float",
           "double": "c_double", "char": "c_char", "signed char": "c_byte", "unsigned char": "c_ubyte",
           "void*": "c_void_p", "const char*": "c_char_p"}
ELEMENTS = {"FloatComplex", "DoubleComplex", "ShortComplex", "IntComplex"}  # arrays of these are data
DECL = re.compile(r"VOK_API\s+([^;{]*?)\bVOK_CALL\s+(\w+)\s*\(([^)]*)\)\s*;", re.S)


def strip_comments(text):
    return re.sub(r"//[^\n]*", "", re.sub(r"/\*.*?\*/", " ", text, flags=re.S))


def headers(include):
    inc = pathlib.Path(include)
    names = [inc / "vok" / f"{n}.h" for n in HEADER_ORDER]
    rest = sorted(set((inc / "vok").glob("*.h")) - set(names))
    return [p for p in names if p.exists()] + rest


class Gen:
    def __init__(self):
        self.records = []          # (name, pack, fields, is_union) in declaration order
        self.known = set()         # record names
        self.constants = []
        self.functions = []

    def field_type(self, ctype, dims):
        ctype = " ".join(ctype.replace("*", " * ").split()).replace(" *", "*").replace("const ", "")
        if ctype == "char*":
            t = "c_char_p"
        elif ctype.endswith("*"):
            t = "c_void_p"
        elif ctype in SCALARS:
            t = SCALARS[ctype]
        elif ctype in self.known:
            t = ctype
        else:
            raise ValueError(f"unknown field type {ctype!r}")
        for d in reversed(dims):
            t = f"{t} * {d}"
        return t

    def parse_body(self, body, pack, owner):
        """Fields of a struct or union body; nested unions become records of their own."""
        fields, pos = [], 0
        while True:
            m = re.compile(r"\s*(union|struct)\s*\{").match(body, pos)
            if m:
                depth, i = 1, m.end()
                while depth:
                    depth += {"{": 1, "}": -1}.get(body[i], 0)
                    i += 1
                inner = body[m.end():i - 1]
                end = body.index(";", i)
                fname = body[i:end].strip()
                rname = f"{owner}_{fname}"
                self.add_record(rname, pack, self.parse_body(inner, pack, rname), m.group(1) == "union")
                fields.append((fname, rname))
                pos = end + 1
                continue
            end = body.find(";", pos)
            if end < 0:
                break
            decl = body[pos:end].strip()
            pos = end + 1
            if not decl:
                continue
            head = re.match(r"((?:const\s+|unsigned\s+|signed\s+)*\w+\s*\**)\s*(.*)", decl, re.S)
            base, names = head.group(1).strip(), head.group(2)
            for item in names.split(","):
                item = item.strip()
                stars = len(item) - len(item.lstrip("*"))
                nm = re.match(r"(\w+)((?:\s*\[\s*\d+\s*\])*)", item.lstrip("*").strip())
                dims = re.findall(r"\d+", nm.group(2))
                fields.append((nm.group(1), self.field_type(base + "*" * stars, dims)))
        return fields

    def add_record(self, name, pack, fields, is_union=False):
        self.records.append((name, pack, fields, is_union))
        self.known.add(name)

    def param_type(self, ctype, result=False):
        c = " ".join(ctype.replace("*", " * ").split()).replace(" *", "*")
        bare = c.replace("const ", "")
        if c == "void":
            return "None"
        if bare == "VokReportFunc":
            return "VokReportFunc"
        if c == "const char*":
            return "c_char_p"
        if bare.endswith("*") and bare.rstrip("*") in self.known - ELEMENTS and bare.count("*") == 1:
            return f"POINTER({bare.rstrip('*')})"
        if bare.endswith("*"):
            return "c_void_p"
        if bare in SCALARS:
            return SCALARS[bare]
        if bare in self.known:
            return bare
        raise ValueError(f"unknown parameter type {ctype!r}")

    def parse(self, path):
        text = strip_comments(path.read_text())
        pack = None
        pos = 0
        token = re.compile(r"#pragma\s+pack\s*\(([^)]*)\)|typedef\s+struct\s*(\w*)\s*\{|enum\s*\{|#define\s+(VOK_\w+)\s+(-?\d+)"
                           r"|^[ \t]*VOK_API\s", re.M)
        while True:
            m = token.search(text, pos)
            if not m:
                break
            pos = m.end()
            if m.group(1) is not None:
                arg = m.group(1).replace(" ", "")
                pack = int(arg.split(",")[1]) if arg.startswith("push,") else None
            elif m.group(0).startswith("typedef"):
                depth, i = 1, m.end()
                while depth:
                    depth += {"{": 1, "}": -1}.get(text[i], 0)
                    i += 1
                end = text.index(";", i)
                name = text[i:end].strip()
                self.add_record(name, pack, self.parse_body(text[m.end():i - 1], pack, name))
                pos = end + 1
            elif m.group(0).startswith("enum"):
                end = text.index("}", pos)
                for item in text[pos:end].split(","):
                    if "=" in item:
                        k, v = item.split("=")
                        self.constants.append((k.strip(), int(v.strip())))
                pos = end
            elif m.group(3):
                self.constants.append((m.group(3), int(m.group(4))))
            else:
                d = DECL.match(text, m.start())
                if not d:
                    raise ValueError(f"{path.name}: unparsed declaration at {text[m.start():m.start() + 80]!r}")
                result, name, args = d.groups()
                params = []
                for a in args.split(","):
                    a = " ".join(a.split())
                    if a in ("void", ""):
                        continue
                    pm = re.match(r"(.*?)(\w+)$", a)
                    params.append((self.param_type(pm.group(1)), " ".join(a.split())))
                self.functions.append((name, self.param_type(result, True), params,
                                       " ".join(result.split()) + " " + name))
                pos = d.end()

    def emit(self):
        out = ['"""ctypes prototypes of libvokx1, generated from the public headers by',
               "python/gen_bindings.py; do not edit (regenerate instead)."
               '"""',
               "from ctypes import (CFUNCTYPE, POINTER, Structure, Union, c_byte, c_char, c_char_p, c_double,",
               "                    c_float, c_int, c_short, c_ubyte, c_uint, c_void_p)", ""]
        for name, pack, fields, is_union in self.records:
            out.append(f"class {name}({'Union' if is_union else 'Structure'}):")
            if pack:
                out.append(f"    _pack_ = {pack}")
            out.append("    _fields_ = [" + ", ".join(f'("{f}", {t})' for f, t in fields) + "]")
            out.append("")
        out += ["", "VokReportFunc = CFUNCTYPE(c_int, c_int, c_char_p, c_char_p, c_char_p, c_int)", "",
                "CONSTANTS = {"]
        out += [f'    "{k}": {v},' for k, v in self.constants]
        out += ["}", "", "# name: (result, (argument types...)); the C declaration follows each entry.",
                "FUNCTIONS = {"]
        for name, res, params, sig in self.functions:
            types = ", ".join(t for t, _ in params) + ("," if len(params) == 1 else "")
            out.append(f'    "{name}": ({res}, ({types})),  # {sig}({", ".join(p for _, p in params)})')
        out += ["}", ""]
        return "\n".join(out)


def generate(include):
    g = Gen()
    for path in headers(include):
        g.parse(path)
    return g.emit()


def main():
    root = pathlib.Path(__file__).resolve().parent
    ap = argparse.ArgumentParser()
    ap.add_argument("--include", default=str(root.parent / "include"))
    ap.add_argument("--out", default=str(root / "vokx1" / "_api.py"))
    ap.add_argument("--check", help="compare with this file instead of writing")
    args = ap.parse_args()
    text = generate(args.include)
    if args.check:
        same = pathlib.Path(args.check).read_text() == text
        print("up to date" if same else f"{args.check} differs from the headers: rerun {sys.argv[0]}")
        return 0 if same else 1
    pathlib.Path(args.out).write_text(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
