#!/usr/bin/env python3
"""Lists the functions of C++ sources longer than a limit (default 60 lines).

A brace counter: a "{" that opens at depth 0 or inside a namespace/class body after a ")" (a
function's parameter list, possibly followed by qualifiers or an initializer list) starts a
function; its matching "}" ends it. Comments, strings and character literals are skipped.
Usage: function-lengths.py [--limit N] FILE_OR_FOLDER...
"""
import os
import re
import sys


def strip(text):
    """The text with comments, strings and character literals blanked (newlines kept)."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(" " * (j + 1 - i))
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


SCOPES = re.compile(r"\b(namespace|class|struct|union|enum)\b[^;{()]*$")


def functions(path):
    text = strip(open(path, encoding="utf-8", errors="replace").read())
    stack = []  # (kind, start line, name)
    line = 1
    last = 0
    for i, c in enumerate(text):
        if c == "\n":
            line += 1
        elif c == "{":
            head = text[last:i]
            inside_function = any(k == "fn" for k, _, _ in stack)
            kind = "block"
            name = ""
            if not inside_function:
                if SCOPES.search(head.strip().split(";")[-1]):
                    kind = "scope"
                elif ")" in head:
                    kind = "fn"
                    m = re.findall(r"([~\w:<>]+)\s*\(", head)
                    name = m[0] if m else "?"
            stack.append((kind, line, name))
            last = i + 1
        elif c == "}":
            if stack:
                kind, start, name = stack.pop()
                if kind == "fn":
                    yield name, start, line - start + 1
            last = i + 1
        elif c == ";":
            last = i + 1


def main(argv):
    limit = 60
    if argv[:1] == ["--limit"]:
        limit, argv = int(argv[1]), argv[2:]
    paths = []
    for a in argv:
        if os.path.isdir(a):
            for root, _, files in os.walk(a):
                paths += [os.path.join(root, f) for f in files if f.endswith((".cpp", ".h"))]
        else:
            paths.append(a)
    rows = []
    for p in sorted(paths):
        rows += [(n, p, s, name) for name, s, n in functions(p) if n > limit]
    for n, p, s, name in sorted(rows, reverse=True):
        print(f"{n:5d}  {p}:{s}  {name}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
