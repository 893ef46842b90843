#!/usr/bin/env python3
"""Keeps the sources readable at a glance: no file longer than 450 lines, no function
longer than 80 lines. Prints every offender and exits 1 when there is one."""
import re
import sys
from pathlib import Path

MAX_FILE_LINES = 450
MAX_FUNCTION_LINES = 80


def strip_comments_and_strings(text):
    # Keeps line breaks so line numbers stay right.
    pattern = re.compile(r'//[^\n]*|/\*.*?\*/|R"(\w*)\((?:.|\n)*?\)\1"|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'',
                         re.S)
    return pattern.sub(lambda m: re.sub(r'[^\n]', ' ', m.group(0)), text)


def function_spans(text):
    """Yields (name, first line, line count) of every function body outside a function."""
    code = strip_comments_and_strings(text)
    stack = []  # kinds of open braces: 'scope' (namespace/class/extern/enum/init) or 'function'
    line = 1
    starts = []
    last_stmt_start = 0
    for index, char in enumerate(code):
        if char == '\n':
            line += 1
        elif char in ';':
            if not stack or stack[-1] == 'scope':
                last_stmt_start = index + 1
        elif char == '{':
            if 'function' in stack:
                stack.append('inner')
                continue
            head = code[last_stmt_start:index]
            head_flat = ' '.join(head.split())
            # A member initialised with braces in a constructor's initialiser list: not a body.
            if re.search(r'\)\s*:', head_flat) and re.search(r'[\w>]$', head_flat):
                stack.append('init')
                continue
            head_flat = re.sub(r'\{[^{}]*\}', '()', head_flat)
            is_function = bool(re.search(r'\)\s*(const|override|noexcept|final|mutable|->[^{]*|:[^{]*|\s)*$', head_flat)) \
                and not re.match(r'^\s*(namespace|class|struct|enum|union|extern)\b', head_flat) \
                and not re.search(r'=\s*$', head_flat)
            if is_function:
                name = re.findall(r'([~\w:]+)\s*\(', head_flat)
                starts.append((name[0] if name else '?', line))
                stack.append('function')
            else:
                stack.append('scope')
            last_stmt_start = index + 1
        elif char == '}':
            kind = stack.pop() if stack else 'scope'
            if kind == 'init':
                continue
            if kind == 'function':
                name, first = starts.pop()
                yield name, first, line - first + 1
            if not stack or stack[-1] == 'scope':
                last_stmt_start = index + 1


def main(roots):
    problems = []
    for root in roots:
        for path in sorted(Path(root).rglob('*')):
            if path.suffix not in ('.cpp', '.h'):
                continue
            text = path.read_text(encoding='utf-8', errors='replace')
            lines = text.count('\n')
            if lines > MAX_FILE_LINES:
                problems.append(f'{path}: {lines} lines (at most {MAX_FILE_LINES})')
            for name, first, count in function_spans(text):
                if count > MAX_FUNCTION_LINES:
                    problems.append(f'{path}:{first}: {name} is {count} lines (at most {MAX_FUNCTION_LINES})')
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:] or ['src']))
