#!/usr/bin/env bash
# The manual page as man shows it: not one warning from the formatter, and its
# options exactly those that the program's --help lists, with the same values.
# usage: manual_page.sh PROGRAM PAGE
set -euo pipefail
program=$1
page=$2
command -v man >/dev/null || { echo "man is missing: install man-db (scripts/deps test)"; exit 1; }
export LC_ALL=C.UTF-8 MANWIDTH=200
warnings=$(man --warnings=w -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "$page: $warnings"; exit 1; }

# An option with its value is a run of words with single spaces; two end it.
options() { sed -nE "s/^$1(-([^ ]| [^ ])*)$2/\\1/p"; }
listed=$("$program" --help | options '  ' '( {2}.*)?$' | tr -d '<>')
documented=$(man -E UTF-8 -l "$page" | sed -n '/^OPTIONS/,/^[A-Z]/p' | options ' {7}' '$')
[ -n "$listed" ] || { echo "no options in --help"; exit 1; }
diff <(echo "$listed") <(echo "$documented") || { echo "--help (<) and the page (>) differ"; exit 1; }
