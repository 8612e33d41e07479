#!/usr/bin/env python3
"""Puts the docs' table of script functions into the playground's page.

Usage: function-table.py DOC.md <index.html >site/index.html
Reads the Markdown table between the lines `<!-- functions:begin -->` and
`<!-- functions:end -->` of DOC.md and writes the page with the table, as
HTML, in place of its line `<!-- functions -->`.
"""
import html
import re
import sys


def cells(line):
    return [cell.strip() for cell in line.strip().strip('|').split('|')]


def inline(text):
    """Markdown's code spans as <code>, everything else escaped."""
    parts = re.split(r'`([^`]*)`', text)
    return ''.join(f'<code>{html.escape(p)}</code>' if i % 2 else html.escape(p)
                   for i, p in enumerate(parts))


def table_html(markdown):
    lines = markdown.splitlines()
    try:
        begin = lines.index('<!-- functions:begin -->')
        end = lines.index('<!-- functions:end -->')
    except ValueError:
        sys.exit('function-table: no <!-- functions:begin/end --> lines in the doc')
    rows = [line for line in lines[begin + 1:end] if line.startswith('|')]
    if len(rows) < 3:
        sys.exit('function-table: no table between the functions lines')
    head = ''.join(f'<th>{inline(c)}</th>' for c in cells(rows[0]))
    body = ''.join('<tr>' + ''.join(f'<td>{inline(c)}</td>' for c in cells(row)) + '</tr>\n'
                   for row in rows[2:])
    return f'<table>\n<thead><tr>{head}</tr></thead>\n<tbody>\n{body}</tbody>\n</table>'


def main():
    with open(sys.argv[1], encoding='utf-8') as doc:
        table = table_html(doc.read())
    page = sys.stdin.read()
    if '<!-- functions -->' not in page:
        sys.exit('function-table: the page has no <!-- functions --> line')
    sys.stdout.write(page.replace('<!-- functions -->', table))


main()
