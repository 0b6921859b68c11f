#!/usr/bin/env python3
"""Checks that includes run one way between the project's folders.

Usage: include_check.py ROOT

Reads the #include lines of every source file under ROOT/core, ROOT/ui and ROOT/cli and
fails (exit 1, one line per fault) when
  - a file under core/ includes a file under ui/ or a Qt header,
  - a file under cli/ includes a file under ui/,
  - the folders one level inside core/ and ui/ (core/model, ui/tree, ...) include each
    other in a circle.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
QT_HEADER = re.compile(r'^(Q[A-Za-z0-9_]*|Qt[A-Za-z]*/.*)$')
LAYERS = ('core', 'ui', 'cli')


def source_files(root):
    for layer in LAYERS:
        base = os.path.join(root, layer)
        for folder, _, files in os.walk(base):
            for name in sorted(files):
                if name.endswith(('.h', '.hpp', '.cpp', '.cc')):
                    yield os.path.relpath(os.path.join(folder, name), root)


def unit_of(path):
    """The folder a file belongs to for the graph: core/model, ui/tree, cli."""
    parts = path.split('/')
    if parts[0] == 'cli' or len(parts) < 3:
        return parts[0]
    return parts[0] + '/' + parts[1]


def circles(graph):
    """The groups of folders that reach each other (Tarjan's strongly connected
    components), each sorted, groups of one folder left out."""
    index, low, on_stack, stack, groups = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                group.append(top)
                if top == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return sorted(groups)


def shortest_ring(graph, group):
    """The shortest way from the group's first folder back to it, inside the group."""
    start = group[0]
    came_from = {}
    queue = [start]
    while queue:
        node = queue.pop(0)
        for nxt in sorted(graph.get(node, ())):
            if nxt not in group:
                continue
            if nxt == start:
                ring = [node, start]
                while ring[0] != start:
                    ring.insert(0, came_from[ring[0]])
                return ring
            if nxt not in came_from:
                came_from[nxt] = node
                queue.append(nxt)
    return [start, start]


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    root = argv[1]
    faults = []
    graph = {}
    why = {}
    for path in source_files(root):
        with open(os.path.join(root, path), encoding='utf-8', errors='replace') as f:
            text = f.read()
        layer = path.split('/')[0]
        for match in INCLUDE.finditer(text):
            bracket, target = match.group(1), match.group(2)
            line = text.count('\n', 0, match.start()) + 1
            if bracket == '<':
                if layer == 'core' and QT_HEADER.match(target):
                    faults.append(f'{path}:{line}: core includes the Qt header <{target}>')
                continue
            if layer in ('core', 'cli') and target.startswith('ui/'):
                faults.append(f'{path}:{line}: {layer} includes "{target}" of the UI layer')
            if target.split('/')[0] not in LAYERS:
                continue
            source, dest = unit_of(path), unit_of(target)
            if source != dest:
                graph.setdefault(source, set()).add(dest)
                why.setdefault((source, dest), f'{path}:{line}')
    for group in circles(graph):
        ring = shortest_ring(graph, group)
        steps = ', '.join(f'{a} -> {b} ({why[(a, b)]})' for a, b in zip(ring, ring[1:]))
        faults.append(f'folders include each other in a circle ({len(group)} folders: '
                      f'{" ".join(group)}): {steps}')
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
