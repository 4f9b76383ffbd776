#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every user-visible text in the sources is in each catalogue, translated.

lupdate reads the sources into a copy of each translations/huesift_LANG.ts, as
`cmake --build build --target update_translations` would; a text that comes out
unfinished (new in the sources, changed, or never translated) is named with its
context, and so is a translation that drops or adds a %1-style placeholder of its
source. The catalogue in the repository is left as it is. After a merge that added
texts: run the update_translations target, translate what it marks unfinished
(Qt Linguist, or the <translation> elements by hand), and run this again.
"""
import argparse
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def check(lupdate, source, ts, dirs):
    problems = []
    with tempfile.TemporaryDirectory() as scratch:
        copy = pathlib.Path(scratch) / ts.name
        shutil.copyfile(ts, copy)
        run = subprocess.run([lupdate, '-I', str(source), '-locations', 'none', '-no-obsolete',
                              *dirs, '-ts', str(copy)],
                             cwd=source, capture_output=True, text=True)
        if run.returncode != 0:
            return [f'lupdate failed:\n{run.stdout}{run.stderr}']
        root = ET.parse(copy).getroot()
        count = 0
        for context in root.iter('context'):
            name = context.findtext('name')
            for message in context.iter('message'):
                count += 1
                text = message.findtext('source') or ''
                translation = message.find('translation')
                forms = [f.text or '' for f in translation.iter('numerusform')] or \
                        [translation.text or '']
                where = f'{name}: {text!r}'
                if translation.get('type') == 'unfinished' or not all(f.strip() or not text.strip()
                                                                      for f in forms):
                    problems.append(f'not translated: {where}')
                    continue
                wanted = sorted(set(re.findall(r'%\d', text)))
                for form in forms:
                    if sorted(set(re.findall(r'%\d', form))) != wanted:
                        problems.append(f'placeholders differ: {where} -> {form!r}')
        if count == 0:
            problems.append('lupdate found no texts at all in ' + ' '.join(dirs))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--lupdate', required=True)
    parser.add_argument('--source', required=True, type=pathlib.Path)
    parser.add_argument('--dirs', required=True, nargs='+',
                        help='the source folders whose texts are shown, relative to --source')
    parser.add_argument('--ts', required=True, nargs='+', type=pathlib.Path,
                        help='the catalogues, translations/huesift_LANG.ts')
    args = parser.parse_args()
    failed = False
    for ts in args.ts:
        problems = check(args.lupdate, args.source.resolve(), ts.resolve(), args.dirs)
        for problem in problems:
            print(f'{ts.name}: {problem}')
        if problems:
            failed = True
            print(f'{ts.name}: {len(problems)} text(s) to translate; see this script\'s help')
        else:
            print(f'{ts.name}: complete')
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
