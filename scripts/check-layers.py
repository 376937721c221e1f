#!/usr/bin/env python3
"""Checks that the folders' includes and libraries only point down the layers.

Each folder may include headers of its own and of the folders listed before
it, never of one listed after it; so no two folders can include each other,
directly or round a longer circle. Prints every include that points up and
exits 1 if there is one.  Usage: check-layers.py [SOURCE_DIR]
"""
import pathlib
import re
import sys

LAYERS = ["base", "resources", "platform", "services", "project", "pathvars",
          "extractor", "build", "launch", "shell", "cli"]

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
rank = {folder: i for i, folder in enumerate(LAYERS)}
include = re.compile(r'^\s*#\s*include\s+"([^/"]+)/', re.M)
faults = []
for folder in LAYERS:
    for source in sorted((root / folder).rglob("*")):
        if source.suffix not in (".c", ".cpp", ".h", ".rc"):
            continue
        for target in include.findall(source.read_text(errors="replace")):
            if target in rank and rank[target] > rank[folder]:
                faults.append(f"{source.relative_to(root)}: includes {target}/, a layer above {folder}/")
# The libraries follow the folders: one links only libraries of its own
# folder or of folders below it.
home = {}
links = []
for folder in LAYERS:
    cmake = root / folder / "CMakeLists.txt"
    if not cmake.exists():
        continue
    text = cmake.read_text()
    for name in re.findall(r"add_(?:library|executable)\(\s*(\w+)", text):
        home[name] = folder
    for name, needed in re.findall(r"target_link_libraries\(\s*(\w+)([^)]*)\)", text):
        links += [(folder, name, lib) for lib in re.findall(r"\bvq_\w+", needed)]
for folder, name, lib in links:
    if lib in home and rank[home[lib]] > rank[folder]:
        faults.append(f"{folder}/CMakeLists.txt: {name} links {lib} of {home[lib]}/, a layer above")
unknown = sorted(p.name for p in root.iterdir() if p.is_dir() and (p / "CMakeLists.txt").exists()
                 and p.name not in rank and p.name != "tests")
for name in unknown:
    faults.append(f"{name}/: a source folder missing from the layer list")
print("\n".join(faults) if faults else "layers: every include points down (" + " < ".join(LAYERS) + ")")
sys.exit(1 if faults else 0)
