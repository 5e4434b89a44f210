#!/usr/bin/env python3
"""Fails when a folder includes a header of a folder it may not use, or when files of one
folder include each other in a circle (the platform stand-ins, modelled on frameworks whose
classes know one another, are left out of the circle check).

The folders and what each may include come from the table under "## Layers and folders" in
docs/ARCHITECTURE.md: a row names its folder in the first column and, in the last, the
folders it may include; those folders' own rows extend the list. Folders that the table does
not name (tests, bench, tools, fuzz) are not checked.

    scripts/check_layers.py [SOURCE_ROOT]
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
FOLDER = re.compile(r'`([a-z_/]+)`')


def read_table(root):
    text = open(os.path.join(root, 'docs', 'ARCHITECTURE.md'), encoding='utf-8').read()
    section = text.split('## Layers and folders', 1)[1].split('\n## ', 1)[0]
    allowed = {}
    for line in section.splitlines():
        cells = [cell.strip() for cell in line.strip().strip('|').split('|')]
        if len(cells) < 3 or not cells[0].startswith('`'):
            continue
        for folder in FOLDER.findall(cells[0]):
            allowed[folder] = set(FOLDER.findall(cells[-1]))
    # What a folder's permitted folders may include, it may include too.
    closed = {}
    for folder in allowed:
        reach, todo = set(), list(allowed[folder])
        while todo:
            used = todo.pop()
            if used in reach or used not in allowed:
                continue
            reach.add(used)
            todo.extend(allowed[used])
        closed[folder] = reach
    return closed


def folder_of(path, folders):
    # The longest folder the path lies in: "app/window/X.h" is in "app/window", not "app".
    best = None
    for folder in folders:
        if path == folder or path.startswith(folder + '/'):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..'))
    allowed = read_table(root)
    problems = []
    edges = {}
    for folder in sorted(allowed):
        for directory, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith(('.h', '.cpp')):
                    continue
                path = os.path.relpath(os.path.join(directory, name), root)
                if folder_of(path, allowed) != folder:
                    continue  # a file of a room inside this folder, checked as that room's
                source = open(os.path.join(root, path), encoding='utf-8').read()
                unit = os.path.splitext(path)[0]
                for included in INCLUDE.findall(source):
                    target = folder_of(included, allowed)
                    if target is None:
                        continue
                    if target != folder and target not in allowed[folder]:
                        problems.append(f'{path}: includes "{included}", but {folder} may not use {target}')
                    if target == folder and not folder.startswith('platform/') and \
                            os.path.splitext(included)[0] != unit:
                        edges.setdefault(unit, set()).add(os.path.splitext(included)[0])
    problems += circles(edges)
    for problem in problems:
        print(problem)
    if problems:
        print(f'{len(problems)} layering problem(s); the table is in docs/ARCHITECTURE.md')
        return 1
    print(f'layers hold: {len(allowed)} folders checked')
    return 0


def circles(edges):
    """Groups of files of one folder that include each other in a circle (a header and its
    source count as one file)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for after in edges.get(node, ()):
            if after not in index:
                visit(after)
                low[node] = min(low[node], low[after])
            elif after in on_stack:
                low[node] = min(low[node], index[after])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                found.append('include circle: ' + ' -> '.join(sorted(group)))

    for node in sorted(edges):
        if node not in index:
            visit(node)
    return found


if __name__ == '__main__':
    sys.exit(main())
