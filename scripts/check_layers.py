#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the module layering against docs/layers.txt.

Fails when a file includes a header ("..." or <...>) from a folder its own folder may not use
(an upward include, or the engine reaching into the program), when a Core-only folder includes a
Qt Widgets header or links Qt6::Widgets, when a CMake target links a library of a folder it may
not use (directly or through an INTERFACE library), when a target's include directory reaches
into a folder it may not use, when a source folder is missing from the table, when the table
allows a use that no include or link makes, or when the table itself has a cycle.

Usage: check_layers.py [ROOT]   (ROOT defaults to the repository holding this script)
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
LINK = re.compile(r'target_link_libraries\s*\(\s*([\w:-]+)([^)]*)\)', re.S)
INCLUDE_DIRS = re.compile(r'target_include_directories\s*\(\s*([\w:-]+)([^)]*)\)', re.S)
TARGET = re.compile(r'(?:add_library|add_executable|lumeno_add_module)\s*\(\s*([\w-]+)([^)]*)\)', re.S)
SOURCE_DIR = re.compile(r'\$\{(?:PROJECT_SOURCE_DIR|CMAKE_SOURCE_DIR|CMAKE_CURRENT_SOURCE_DIR)\}')
KEYWORDS = {'PUBLIC', 'PRIVATE', 'INTERFACE', 'SYSTEM', 'BEFORE', 'AFTER'}
SOURCES = ('.h', '.hpp', '.c', '.cpp', '.S', '.in')
# Headers of Qt Widgets that a Core-only folder might be tempted to use (Qt 6 names).
WIDGET_HEADERS = {
    'QAbstractButton', 'QApplication', 'QBoxLayout', 'QCheckBox', 'QComboBox', 'QDialog',
    'QDialogButtonBox', 'QFileDialog', 'QFormLayout', 'QFrame', 'QGridLayout', 'QGroupBox',
    'QHBoxLayout', 'QLabel', 'QLayout', 'QLineEdit', 'QListWidget', 'QMainWindow', 'QMenu',
    'QMenuBar', 'QMessageBox', 'QPlainTextEdit', 'QProgressBar', 'QPushButton', 'QRadioButton',
    'QScrollArea', 'QSlider', 'QSpinBox', 'QStatusBar', 'QStyle', 'QTextEdit', 'QToolButton',
    'QVBoxLayout', 'QWidget', 'QtWidgets',
}


class Table:
    def __init__(self, path):
        self.roots, self.uses, self.widgets, self.unchecked = [], {}, set(), []
        for number, raw in enumerate(path.read_text(encoding='utf-8').splitlines(), 1):
            line = raw.split('#', 1)[0].strip()
            if not line:
                continue
            key, _, rest = line.partition(':')
            words = rest.split()
            if key == 'include-roots':
                self.roots = words
            elif key == 'unchecked':
                self.unchecked = words
            elif key.split('[')[0].strip() in self.uses:
                raise SystemExit(f'{path}:{number}: {key} is listed twice')
            elif key.endswith('[widgets]'):
                folder = key[:-len('[widgets]')].strip()
                self.widgets.add(folder)
                self.uses[folder] = set(w for w in words if w != '-')
            elif _:
                self.uses[key.strip()] = set(w for w in words if w != '-')
            else:
                raise SystemExit(f'{path}:{number}: expected "folder: uses..."')

    def folder_of(self, relative):
        best = None
        for folder in self.uses:
            if relative == folder or relative.startswith(folder + '/'):
                if best is None or len(folder) > len(best):
                    best = folder
        return best

    def cycle(self):
        state = {}

        def visit(folder, trail):
            if state.get(folder) == 'open':
                return trail[trail.index(folder):] + [folder]
            if state.get(folder) == 'done':
                return None
            state[folder] = 'open'
            for used in sorted(self.uses.get(folder, ())):
                found = visit(used, trail + [folder])
                if found:
                    return found
            state[folder] = 'done'
            return None

        for folder in sorted(self.uses):
            found = visit(folder, [])
            if found:
                return found
        return None


def resolve(root, source, name, roots, bracket):
    bases = [root / r for r in roots]
    if bracket == '"':
        bases.insert(0, source.parent)
    for base in bases:
        candidate = (base / name).resolve()
        if candidate.is_file():
            try:
                return candidate.relative_to(root.resolve()).as_posix()
            except ValueError:
                return None
    return None


class Build:
    """What the CMake files say: each target's folder, which are INTERFACE libraries, what each
    target links and which include directories it adds."""

    def __init__(self, table, cmake_files):
        self.folder, self.interface, self.links, self.include_dirs = {}, set(), {}, []
        for path, relative in cmake_files:
            text = path.read_text(encoding='utf-8', errors='replace')
            for target, rest in TARGET.findall(text):
                self.folder[target] = table.folder_of(relative)
                if 'INTERFACE' in rest.split():
                    self.interface.add(target)
            for owner, linked in LINK.findall(text):
                self.links.setdefault(owner, []).append(
                    (relative, [w for w in linked.split() if w not in KEYWORDS]))
            for owner, dirs in INCLUDE_DIRS.findall(text):
                for word in dirs.split():
                    if word not in KEYWORDS and not word.startswith('$<'):
                        self.include_dirs.append((relative, owner, word))

    def reached(self, library, seen=None):
        """The libraries a link to `library` brings in: itself, or through an INTERFACE library
        every library it links."""
        seen = set() if seen is None else seen
        if library in seen:
            return []
        seen.add(library)
        if library not in self.interface:
            return [library]
        found = []
        for _, linked in self.links.get(library, []):
            for inner in linked:
                found += self.reached(inner, seen)
        return found


def directory_of(root, cmake_relative, word):
    """The repository-relative folder an include directory names, or None when it lies outside."""
    here = (root / cmake_relative).parent
    match = SOURCE_DIR.match(word)
    if match:
        base = here if 'CURRENT' in match.group(0) else root
        word = word[match.end():].lstrip('/')
    elif word.startswith('$') or word.startswith('/'):
        return None
    else:
        base = here
    try:
        return (base / word).resolve().relative_to(root.resolve()).as_posix()
    except ValueError:
        return None


def collect(root, table):
    sources, cmake_files = [], []
    for top in sorted({f.split('/')[0] for f in table.uses}):
        for path in sorted((root / top).rglob('*')):
            relative = path.relative_to(root).as_posix()
            if not path.is_file() or any(relative.startswith(u + '/') for u in table.unchecked):
                continue
            if path.name == 'CMakeLists.txt':
                cmake_files.append((path, relative))
            elif path.suffix in SOURCES:
                sources.append((path, relative))
    return sources, cmake_files


def check_links(table, build, used_pairs, problems):
    for owner, entries in build.links.items():
        for relative, linked in entries:
            folder = table.folder_of(relative)
            if folder is None:
                continue
            allowed = table.uses[folder] | {folder}
            for library in linked:
                if library == 'Qt6::Widgets' and folder not in table.widgets:
                    problems.append(f'{relative}: {owner} links Qt6::Widgets in a Core-only folder')
                for reached in build.reached(library):
                    used = build.folder.get(reached)
                    if used is None:
                        continue
                    used_pairs.add((folder, used))
                    if used not in allowed:
                        via = '' if reached == library else f' (through {library})'
                        problems.append(f'{relative}: {owner} links {reached}{via} of {used}, '
                                        f'which {folder} may not use')


def check_include_dirs(root, table, build, problems):
    for relative, owner, word in build.include_dirs:
        folder = table.folder_of(relative)
        directory = directory_of(root, relative, word)
        if folder is None or directory is None or directory in table.roots:
            continue
        used = table.folder_of(directory)
        if used is None and not any(directory == f or directory.startswith(f + '/') for f in table.uses):
            continue  # outside the layered tree (tests' support code, generated files)
        if used is None or used not in table.uses[folder] | {folder}:
            problems.append(f'{relative}: {owner} adds the include directory {directory}, '
                            f'which {folder} may not use')


def check_sources(root, table, sources, used_pairs, problems):
    for path, relative in sources:
        folder = table.folder_of(relative)
        if folder is None:
            problems.append(f'{relative}: its folder is not in docs/layers.txt')
            continue
        text = path.read_text(encoding='utf-8', errors='replace')
        allowed = table.uses[folder] | {folder}
        for bracket, name in INCLUDE.findall(text):
            if bracket == '<' and folder not in table.widgets and (
                    name in WIDGET_HEADERS or name.split('/')[0] == 'QtWidgets'):
                problems.append(f'{relative}: includes <{name}>, a widget header, in a Core-only folder')
                continue
            target = resolve(root, path, name, table.roots, bracket)
            if target is None:
                continue
            used = table.folder_of(target)
            shown = f'"{name}"' if bracket == '"' else f'<{name}>'
            if used is None:
                problems.append(f'{relative}: includes {shown} from {target}, outside every layer')
                continue
            used_pairs.add((folder, used))
            if used not in allowed:
                problems.append(f'{relative}: includes {shown} from {used}, which {folder} may not use')


def check(root):
    table = Table(root / 'docs' / 'layers.txt')
    problems = []
    cycle = table.cycle()
    if cycle:
        problems.append('docs/layers.txt: the table has a cycle: ' + ' -> '.join(cycle))
    for folder, used in table.uses.items():
        for name in used - set(table.uses):
            problems.append(f'docs/layers.txt: {folder} uses {name}, which is not in the table')

    sources, cmake_files = collect(root, table)
    for _, relative in cmake_files:
        if table.folder_of(relative) is None:
            problems.append(f'{relative}: its folder is not in docs/layers.txt')
    build = Build(table, cmake_files)
    used_pairs = set()
    check_links(table, build, used_pairs, problems)
    check_include_dirs(root, table, build, problems)
    check_sources(root, table, sources, used_pairs, problems)
    for folder, uses in sorted(table.uses.items()):
        for used in sorted(uses - {u for f, u in used_pairs if f == folder}):
            problems.append(f'docs/layers.txt: {folder} may use {used}, but nothing in it does')
    return problems


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    problems = check(root)
    for problem in problems:
        print(problem)
    if problems:
        print(f'layering: {len(problems)} problem(s); the allowed uses are in docs/layers.txt')
        return 1
    print('layering: every include and link follows docs/layers.txt')
    return 0


if __name__ == '__main__':
    sys.exit(main())
