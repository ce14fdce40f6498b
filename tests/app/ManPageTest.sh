#!/usr/bin/env bash
# The installed manual page: gzip without a time stamp, rendered by groff
# without a single warning, a NAME line that whatis can read, the version
# that the program prints, and every option that the program's usage text
# names.
#   ManPageTest.sh PROGRAM fegolin.1.gz
set -euo pipefail
program=$1
page=$2
fail() { echo "FAILED - $*" >&2; exit 1; }

gzip -t "$page" || fail "$page is not a valid gzip file"
if file -b "$page" | grep -q 'last modified'; then fail "$page carries a time stamp (gzip -n)"; fi

warnings=$(gzip -dc "$page" | groff -man -Tutf8 -ww -z 2>&1)
[ -z "$warnings" ] || fail "groff warns: $warnings"

name=$(gzip -dc "$page" | lexgrog - 2>&1) || fail "lexgrog cannot read the NAME section: $name"
grep -q '"fegolin - ' <<<"$name" || fail "NAME line: $name"

rendered=$(gzip -dc "$page" | groff -man -Tascii -P -c -rLL=200n 2>/dev/null | sed 's/.\x08//g')
version=$("$program" --version)
grep -qF -- "$version" <<<"$rendered" || fail "the page does not carry \"$version\""

options=$("$program" --help | grep -oE -- '(^|[][ ,(])--?[a-z][a-z-]*' | tr -d '][ ,(' | sort -u)
[ -n "$options" ] || fail "no options in fegolin --help"
for option in $options; do
  grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" <<<"$rendered" || fail "the page does not describe $option"
done
echo "manual page: 1 passed, 0 failed"
