#!/usr/bin/env python3
"""Checks the module layering against docs/layers.txt.

Fails when a file includes a header from a folder its own folder may not use (an upward
include, or the engine reaching into the program), when a Core-only folder includes a Qt Widgets
header or links Qt6::Widgets, when a CMake library links a library of a folder it may not use,
when a source folder is missing from the table, or when the table itself has a cycle.

Usage: check_layers.py [ROOT]   (ROOT defaults to the repository holding this script)
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
LINK = re.compile(r'target_link_libraries\s*\(\s*([\w:-]+)([^)]*)\)', re.S)
TARGET = re.compile(r'(?:add_library|add_executable|lumeno_add_module)\s*\(\s*([\w-]+)')
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


def resolve(root, source, name, roots):
    for base in [source.parent] + [root / r for r in roots]:
        candidate = (base / name).resolve()
        if candidate.is_file():
            try:
                return candidate.relative_to(root.resolve()).as_posix()
            except ValueError:
                return None
    return None


def check(root):
    table = Table(root / 'docs' / 'layers.txt')
    problems = []
    cycle = table.cycle()
    if cycle:
        problems.append('docs/layers.txt: the table has a cycle: ' + ' -> '.join(cycle))
    for folder, used in table.uses.items():
        for name in used - set(table.uses):
            problems.append(f'docs/layers.txt: {folder} uses {name}, which is not in the table')

    targets = {}
    files = []
    for top in sorted({f.split('/')[0] for f in table.uses}):
        for path in sorted((root / top).rglob('*')):
            relative = path.relative_to(root).as_posix()
            if not path.is_file() or any(relative.startswith(u + '/') for u in table.unchecked):
                continue
            if path.name == 'CMakeLists.txt' or path.suffix in SOURCES:
                files.append((path, relative))
            if path.name == 'CMakeLists.txt':
                for target in TARGET.findall(path.read_text(encoding='utf-8', errors='replace')):
                    targets[target] = table.folder_of(relative)

    for path, relative in files:
        folder = table.folder_of(relative)
        if folder is None:
            problems.append(f'{relative}: its folder is not in docs/layers.txt')
            continue
        text = path.read_text(encoding='utf-8', errors='replace')
        allowed = table.uses[folder] | {folder}
        if path.name == 'CMakeLists.txt':
            for owner, linked in LINK.findall(text):
                for library in linked.split():
                    if library == 'Qt6::Widgets' and folder not in table.widgets:
                        problems.append(f'{relative}: {owner} links Qt6::Widgets in a Core-only folder')
                    used = targets.get(library)
                    if used and used not in allowed:
                        problems.append(f'{relative}: {owner} links {library} of {used}, '
                                        f'which {folder} may not use')
            continue
        for number, (bracket, name) in enumerate(INCLUDE.findall(text), 1):
            head = name.split('/')[0]
            if bracket == '<' and folder not in table.widgets and (
                    name in WIDGET_HEADERS or head == 'QtWidgets'):
                problems.append(f'{relative}: includes <{name}>, a widget header, in a Core-only folder')
                continue
            if bracket != '"':
                continue
            target = resolve(root, path, name, table.roots)
            if target is None:
                continue
            used = table.folder_of(target)
            if used is None:
                problems.append(f'{relative}: includes "{name}" from {target}, outside every layer')
            elif used not in allowed:
                problems.append(f'{relative}: includes "{name}" from {used}, which {folder} may not use')
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
