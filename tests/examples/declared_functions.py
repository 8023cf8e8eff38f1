#!/usr/bin/env python3
"""declared_functions.py <castxml output> <installed include folder> <output folder>

Writes mangled.cpp, taking the address of every function the installed headers
declare with a symbol of its own, and special.cpp, using every public
constructor and destructor, so that the link fails on any not exported.
"""
import re
import sys
import xml.etree.ElementTree as ET

FUNCTIONS = {"Function", "Method", "OperatorFunction", "OperatorMethod", "Converter"}
SUFFIX = {"PointerType": "*", "ReferenceType": "&", "RValueReferenceType": "&&", "ElaboratedType": ""}


def main():
    xml_path, include_dir, out_dir = sys.argv[1:4]
    root = ET.parse(xml_path).getroot()
    by_id = {e.get("id"): e for e in root}
    ours = {e.get("id") for e in root if e.tag == "File" and e.get("name", "").startswith(include_dir.rstrip("/") + "/")}

    def qualified(element):
        parts = []
        while element is not None and element.get("name") != "::":
            name = element.get("name")
            if element.tag == "Namespace" and not name:
                return None  # an anonymous namespace: nothing a host reaches
            parts.append(name)
            element = by_id.get(element.get("context"))
        return "::".join(reversed(parts))

    def spelled(type_id):
        t = by_id[type_id]
        tag = t.tag
        if tag == "FundamentalType":
            return t.get("name")
        if tag in SUFFIX:
            return spelled(t.get("type")) + SUFFIX[tag]
        if tag == "CvQualifiedType":
            return spelled(t.get("type")) + (" const" if t.get("const") else "") + (" volatile" if t.get("volatile") else "")
        if tag in ("Class", "Struct", "Union", "Enumeration", "Typedef"):
            return "::" + qualified(t)
        raise SystemExit("declared_functions.py: cannot spell a parameter of kind " + tag)

    texts = {}

    def defined_inline_later(e, owner):
        # A member defined "inline" after its class has no symbol either.
        path = by_id[e.get("file")].get("name")
        if path not in texts:
            with open(path, encoding="utf-8", errors="replace") as f:
                texts[path] = f.read()
        name = owner.rsplit("::", 1)[-1] + "::" + e.get("name", "")
        return re.search(r"\binline\b[^;{}]*\b" + re.escape(name) + r"\s*\(", texts[path]) is not None

    symbols = []
    special = []
    for e in root:
        if e.get("file") not in ours or e.get("inline") or e.get("artificial") or e.get("pure_virtual"):
            continue
        context = by_id.get(e.get("context"))
        owner = qualified(context) if context is not None else None
        if owner is None:
            continue
        if e.tag in FUNCTIONS:
            if e.get("mangled") and not defined_inline_later(e, owner):
                symbols.append(e.get("mangled"))
        elif e.tag in ("Constructor", "Destructor") and e.get("access") == "public":
            special.append((e, "::" + owner, context.get("abstract") == "1"))

    with open(out_dir + "/mangled.cpp", "w") as out:
        out.write("".join('extern "C" void %s();\n' % s for s in symbols) + "extern void* const declaredFunctions[] = {\n"
                  + "".join("    reinterpret_cast<void*>(&%s),\n" % s for s in symbols) + "    nullptr};\n")

    with open(out_dir + "/special.cpp", "w") as out:
        out.write("#include <new>\n")
        for header in sorted(by_id[f].get("name") for f in ours):
            out.write('#include "%s"\n' % header)
        for n, (e, owner, abstract) in enumerate(special):
            if e.tag == "Destructor":
                last = owner.rsplit("::", 1)[1]
                out.write("void destroy%d(%s* p) { p->%s::~%s(); }\n" % (n, owner, owner, last))
                continue
            if abstract:
                continue  # made only as the base of a host's own class
            types = [spelled(a.get("type")) for a in e.findall("Argument")]
            parameters = ", ".join("%s a%d" % (t, i) for i, t in enumerate(types))
            arguments = ", ".join("static_cast<decltype(a%d)&&>(a%d)" % (i, i) for i in range(len(types)))
            out.write("void construct%d(void* p%s) { ::new (p) %s(%s); }\n"
                      % (n, ", " + parameters if parameters else "", owner, arguments))
    print(len(symbols) + len(special))


main()
