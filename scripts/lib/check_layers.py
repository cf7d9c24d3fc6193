#!/usr/bin/env python3
"""Lists every #include that crosses folders and fails on one the layering forbids.

The product's folders are layers: each may include its own headers and those of the folders below it, never one
above. The build enforces it too (a folder's headers are reachable only through its library); this check says it
in words, and also covers headers that no build happens to compile. Tests, fuzz targets and benchmarks sit above
every layer. Usage: check_layers.py [--list] [ROOT]
"""
import pathlib
import re
import sys

# What each folder may include besides itself (the same order as the libraries in CMakeLists.txt).
ALLOWED = {
    "base": set(),
    "text": {"base"},
    "mime": {"text", "base"},
    "net": {"base"},
    "oauth": {"net", "base"},
    "worker": {"base"},
    "mail": {"mime", "net", "oauth", "text", "worker", "base"},
    "settings": {"mail", "base"},
    "framework": {"base"},
    "app": {"framework", "mail", "mime", "net", "oauth", "text", "settings", "worker", "base", "res"},
    "res": set(),
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/[^"]+"', re.MULTILINE)


def crossings(root):
    for folder in sorted(ALLOWED):
        for path in sorted((root / folder).glob("*")):
            if path.suffix not in (".h", ".cpp", ".rc", ".in"):
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for match in INCLUDE.finditer(text):
                target = match.group(1)
                if target != folder:
                    line = text.count("\n", 0, match.start()) + 1
                    yield folder, target, f"{path.relative_to(root)}:{line}", match.group(0).strip()


def main(argv):
    listing = "--list" in argv
    args = [a for a in argv if a != "--list"]
    root = pathlib.Path(args[0] if args else pathlib.Path(__file__).resolve().parents[2])
    missing = [f for f in ALLOWED if not (root / f).is_dir()]
    if missing:
        print("layers missing from the tree: " + ", ".join(missing))
        return 1
    bad = 0
    for folder, target, where, include in crossings(root):
        allowed = target in ALLOWED[folder]
        if listing or not allowed:
            print(f"{'ok       ' if allowed else 'FORBIDDEN'} {folder} -> {target}  {where}  {include}")
        bad += 0 if allowed else 1
    print(f"{bad} forbidden include(s)")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
