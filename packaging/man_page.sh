#!/bin/sh
# Makes a man page from a program's --help and a page template.
# Usage: man_page.sh PROGRAM TEMPLATE VERSION OUTPUT   (also writes OUTPUT.gz)
#
# The help's first line "Usage: NAME ARGS" becomes the SYNOPSIS (@SYNOPSIS@ in the template);
# a line "Title:" starts a section; "  TERM" followed by lines indented by six spaces is one
# entry of it; any other line is a paragraph (@SECTIONS@). @VERSION@ is the version.
set -eu
program=$1 template=$2 version=$3 output=$4
help=$(mktemp)
trap 'rm -f "$help" "$output.tmp"' EXIT
"$program" --help >"$help"

awk -v version="$version" -v helpfile="$help" '
function roff(s) {
    gsub(/\\/, "\\\\e", s)
    gsub(/-/, "\\\\-", s)
    if (substr(s, 1, 1) == "." || substr(s, 1, 1) == "\047") s = "\\&" s
    return s
}
BEGIN {
    synopsis = ""; sections = ""; first = 1
    while ((getline line < helpfile) > 0) {
        if (first && line ~ /^Usage: /) {
            first = 0
            rest = substr(line, 8)
            name = rest; sub(/ .*/, "", name)
            args = substr(rest, length(name) + 2)
            synopsis = ".B " roff(name) "\n" roff(args)
            continue
        }
        first = 0
        if (line ~ /^[ \t]*$/) { gap = 1; continue }
        if (line ~ /^[A-Za-z][^:]*:$/) {
            sections = sections ".SH " toupper(substr(line, 1, length(line) - 1)) "\n"
            gap = 0; continue
        }
        if (line ~ /^      /) {
            text = line; sub(/^ +/, "", text)
            sections = sections roff(text) "\n"
            continue
        }
        if (line ~ /^  [^ ]/) {
            term = substr(line, 3)
            word = term; sub(/ .*/, "", word)
            more = substr(term, length(word) + 1)
            sections = sections ".TP\n\\fB" roff(word) "\\fR" roff(more) "\n"
            gap = 0; continue
        }
        if (gap) sections = sections ".PP\n"
        sections = sections roff(line) "\n"
        gap = 0
    }
}
{
    if ($0 == "@SYNOPSIS@") { printf "%s\n", synopsis; next }
    if ($0 == "@SECTIONS@") { printf "%s", sections; next }
    gsub(/@VERSION@/, version)
    print
}' "$template" >"$output.tmp"
mv "$output.tmp" "$output"
gzip -9nc "$output" >"$output.gz"
