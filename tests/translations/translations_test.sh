#!/usr/bin/env bash
# translations_test.sh LUPDATE "OPTIONS" SOURCES.lst FILE.ts
# Fails when lupdate would change FILE.ts (a text was added, changed or
# removed in the sources without the file being updated) or when a text in it
# has no translation or one marked unfinished.
set -euo pipefail
lupdate=$1 options=$2 sources=$3 ts=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/"
updated="$work/$(basename "$ts")"
# shellcheck disable=SC2086 # the options are words
"$lupdate" ${options//;/ } "@$sources" -ts "$updated"
status=0
if ! cmp -s "$ts" "$updated"; then
  echo "$ts is not up to date with the sources; build the target update_translations and translate:"
  diff -u "$ts" "$updated" || true
  status=1
fi
if grep -n -E 'type="(unfinished|vanished|obsolete)"|<translation></translation>|<translation/>' "$updated"; then
  echo "$ts: the texts above have no finished translation"
  status=1
fi
# The translations are to be read without Japanese; the not-set text comes
# into a message through its placeholder.
if perl -CSD -0777 -ne 'while (/<translation>(.*?)<\/translation>/sg) { $t = $1;
    print "$t\n" if $t =~ /[\p{Han}\p{Hiragana}\p{Katakana}]/ }' "$ts" | grep .; then
  echo "$ts: the translations above still hold Japanese"
  status=1
fi
exit $status
