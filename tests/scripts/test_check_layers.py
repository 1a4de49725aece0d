#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The layering checker on a copy of the source tree: clean as committed, failing once a
forbidden use is planted. Usage: test_check_layers.py REPOSITORY"""
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

REPOSITORY = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else __file__).resolve()
if REPOSITORY.is_file():
    REPOSITORY = REPOSITORY.parents[2]
CHECKER = REPOSITORY / 'scripts' / 'check_layers.py'
COPIED = ('*.h', '*.cpp', 'CMakeLists.txt')


class CheckLayersTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self.folder.name)
        shutil.copytree(REPOSITORY / 'docs', self.root / 'docs', ignore=shutil.ignore_patterns('*.png'))
        for top in ('src', 'shared', 'engines', 'skins', 'tools'):
            for pattern in COPIED:
                for path in (REPOSITORY / top).rglob(pattern):
                    target = self.root / path.relative_to(REPOSITORY)
                    target.parent.mkdir(parents=True, exist_ok=True)
                    shutil.copyfile(path, target)

    def tearDown(self):
        self.folder.cleanup()

    def run_checker(self):
        return subprocess.run([sys.executable, str(CHECKER), str(self.root)], capture_output=True, text=True)

    def append(self, relative, text):
        with open(self.root / relative, 'a', encoding='utf-8') as file:
            file.write(text)

    def test_committedTree_passes(self):
        result = self.run_checker()
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_forbiddenUse_fails(self):
        bundle = ('add_library(hidden_bundle INTERFACE)\n'
                  'target_link_libraries(hidden_bundle INTERFACE lumeno_app)\n')
        cases = {
            'upward include': ([('src/platform/gbk.cpp', '#include "app/main_window.h"\n')],
                               'src/platform/gbk.cpp: includes "app/main_window.h" from src/app'),
            'upward include in angle brackets': ([('src/platform/gbk.cpp', '#include <app/main_window.h>\n')],
                                                 'src/platform/gbk.cpp: includes <app/main_window.h> from src/app'),
            'sideways include': ([('src/text/text_file.cpp', '#include "engine/tts_engine.h"\n')],
                                 'from src/engine, which src/text may not use'),
            'engine reaching into the program': ([('engines/speech/engine.cpp', '#include "platform/gbk.h"\n')],
                                                 'engines/speech/engine.cpp: includes "platform/gbk.h" from src/platform'),
            'engine text using its audio': ([('engines/text/utf8.cpp', '#include "speech_worker.h"\n')],
                                            'from engines/speech, which engines/text may not use'),
            'widget header in Core': ([('src/audio/wav_file.cpp', '#include <QPushButton>\n')],
                                      'src/audio/wav_file.cpp: includes <QPushButton>'),
            'Core library linking widgets': ([('src/text/CMakeLists.txt',
                                               'target_link_libraries(lumeno_text PRIVATE Qt6::Widgets)\n')],
                                             'lumeno_text links Qt6::Widgets'),
            'Core library linking upward': ([('src/options/CMakeLists.txt',
                                              'target_link_libraries(lumeno_options PRIVATE lumeno_engine)\n')],
                                            'lumeno_options links lumeno_engine of src/engine'),
            'widget library through a bundle': ([('src/CMakeLists.txt', bundle),
                                                 ('tools/CMakeLists.txt',
                                                  'target_link_libraries(lumeno-say PRIVATE hidden_bundle)\n')],
                                                'lumeno-say links lumeno_app (through hidden_bundle) of src/app'),
            'include directory into another layer': ([('src/text/CMakeLists.txt',
                                                       'target_include_directories(lumeno_text PRIVATE '
                                                       '${PROJECT_SOURCE_DIR}/src/app)\n')],
                                                     'adds the include directory src/app, which src/text may not use'),
            'use allowed but never made': ([('docs/layers.txt', 'src/unused: src/platform\n')],
                                           'src/unused may use src/platform, but nothing in it does'),
            'cycle in the table': ([('docs/layers.txt', 'src/one: src/two\nsrc/two: src/one\n')],
                                   'the table has a cycle'),
        }
        for name, (plants, expected) in cases.items():
            with self.subTest(name):
                originals = {relative: (self.root / relative).read_text(encoding='utf-8') for relative, _ in plants}
                for relative, planted in plants:
                    self.append(relative, planted)
                result = self.run_checker()
                for relative, original in originals.items():
                    (self.root / relative).write_text(original, encoding='utf-8')
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(expected, result.stdout)

if __name__ == '__main__':
    unittest.main()
