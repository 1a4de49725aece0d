#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The licence-line script on a small made-up tree: where the line goes in each kind of file,
what it leaves alone, that a second run changes nothing, and that --check fails exactly when a
file lacks the line. Usage: test_add_spdx.py REPOSITORY"""
import os
import pathlib
import subprocess
import sys
import tempfile
import unittest

REPOSITORY = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else __file__).resolve()
if REPOSITORY.is_file():
    REPOSITORY = REPOSITORY.parents[2]
SCRIPT = REPOSITORY / 'scripts' / 'add_spdx.sh'
LINE = 'SPDX-License-Identifier: GPL-3.0-or-later'

# relative path -> content; marked ones get the line, the others must stay byte for byte.
MARKED = {
    'src/a/widget.cpp': '#include "widget.h"\nint f() { return 1; }\n',
    'src/a/widget.h': '#pragma once\n',
    'engines/text/table.S.in': '/* table */\n    .section .rodata\n',
    'engines/c/plain.c': 'int g;\n',
    'tools/CMakeLists.txt': 'add_subdirectory(x)\n',
    'CMakeLists.txt': 'cmake_minimum_required(VERSION 3.25)\n',
    'cmake/Thing.cmake': 'set(X 1)\n',
    'scripts/run.sh': '#!/usr/bin/env bash\nset -e\necho hi\n',
    'scripts/tool.py': '#!/usr/bin/env python3\n"""doc"""\n',
    'scripts/gen.js': '#!/usr/bin/env node\n\'use strict\';\n',
    'tests/x/test_x.cpp': '',
}
UNTOUCHED = {
    'engines/data/readings.txt': 'a b\n',
    'engines/data/table.h': 'third party\n',
    'engines/fuzz/corpus/fuzz_x/seed.cpp': 'seed\n',
    'skins/default/lumeno.qss': 'QWidget {}\n',
    'build/package/gen.cpp': 'generated\n',
    'docs/notes.py': 'print(1)\n',
    'README.md': '# title\n',
}


class AddSpdxTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self.folder.name)
        for relative, text in {**MARKED, **UNTOUCHED}.items():
            path = self.root / relative
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text, encoding='utf-8')
        os.chmod(self.root / 'scripts/run.sh', 0o755)

    def tearDown(self):
        self.folder.cleanup()

    def run_script(self, *arguments):
        return subprocess.run(['bash', str(SCRIPT), *arguments, str(self.root)],
                              capture_output=True, text=True)

    def read(self, relative):
        return (self.root / relative).read_text(encoding='utf-8')

    def test_marks_firstLine_orAfterShebang(self):
        self.assertEqual(self.run_script().returncode, 0)
        for relative, text in MARKED.items():
            with self.subTest(file=relative):
                lines = text.splitlines(keepends=True)
                leader = '#' if relative.endswith(('.sh', '.py', '.cmake', 'CMakeLists.txt')) else '//'
                marked = f'{leader} {LINE}\n'
                if lines and lines[0].startswith('#!'):
                    expected = lines[0] + marked + ''.join(lines[1:])
                else:
                    expected = marked + text
                self.assertEqual(self.read(relative), expected)
        self.assertTrue(os.access(self.root / 'scripts/run.sh', os.X_OK), 'the mode was lost')

    def test_leavesDataAndOtherFolders_untouched(self):
        self.run_script()
        for relative, text in UNTOUCHED.items():
            with self.subTest(file=relative):
                self.assertEqual(self.read(relative), text)
        leftovers = [p.name for p in self.root.rglob('*.spdx.*')]
        self.assertEqual(leftovers, [])

    def test_secondRun_changesNothing(self):
        self.run_script()
        first = {relative: self.read(relative) for relative in MARKED}
        self.assertEqual(self.run_script().returncode, 0)
        for relative, text in first.items():
            with self.subTest(file=relative):
                self.assertEqual(self.read(relative), text)

    def test_check_failsOnlyWhileAFileLacksTheLine(self):
        before = self.run_script('--check')
        self.assertNotEqual(before.returncode, 0)
        for relative in MARKED:
            self.assertIn(relative, before.stdout)
        for relative in UNTOUCHED:
            self.assertNotIn(relative, before.stdout)
        self.assertEqual(self.read('src/a/widget.cpp'), MARKED['src/a/widget.cpp'], '--check wrote')

        self.run_script()
        self.assertEqual(self.run_script('--check').returncode, 0)

        (self.root / 'src/a/new_file.cpp').write_text('int h;\n', encoding='utf-8')
        after = self.run_script('--check')
        self.assertNotEqual(after.returncode, 0)
        self.assertIn('src/a/new_file.cpp', after.stdout)
        self.assertNotIn('widget.cpp', after.stdout)


if __name__ == '__main__':
    unittest.main()
