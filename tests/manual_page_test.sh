#!/bin/sh
# The manual page describes every option that `ombrisal --help` prints, each
# under a heading of its own (so an option added to the program and not to
# the page fails here), and groff formats the page without a warning.
# Usage: manual_page_test.sh OMBRISAL_EXE MANUAL_PAGE
set -eu
exe="$1"
page="$2"

options="$("$exe" --help | grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u)"
if [ "$(printf '%s\n' "$options" | wc -l)" -lt 10 ]; then
  echo "ombrisal --help printed too few options: $options" >&2
  exit 1
fi

# The headings of the page's tagged paragraphs (the line after each .TP),
# with roff's \- as plain hyphens and font changes removed: an option only
# mentioned in passing or in an example is not described.
text="$(awk 'heading { print; heading = 0 } /^\.TP/ { heading = 1 }' "$page" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g')"
missing=""
for option in $options; do
  # A whole option: --fault is not found inside --faults or --fault-seed.
  printf '%s\n' "$text" | grep -qE -- "(^|[^a-z-])${option}([^a-z-]|\$)" || missing="$missing $option"
done
if [ -n "$missing" ]; then
  echo "Options of ombrisal --help missing from the manual page $page:$missing" >&2
  exit 1
fi
echo "The manual page describes all $(printf '%s\n' "$options" | wc -l) options of --help."

warnings="$(preconv "$page" | groff -man -Tutf8 -ww -z 2>&1)"
if [ -n "$warnings" ]; then
  echo "groff warns about $page:" >&2
  echo "$warnings" >&2
  exit 1
fi
