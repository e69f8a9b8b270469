#!/bin/sh
# Renders each compressed man page with groff as man does (UTF-8 input), all warnings on, and
# fails on any warning or on a NAME section that man's index (lexgrog) cannot read.
#   check_man.sh page.1.gz ...
set -u
status=0
for page in "$@"; do
    warnings=$(gzip -dc "$page" | groff -k -man -Tutf8 -ww -z 2>&1)
    if [ -n "$warnings" ]; then
        echo "$page: groff warnings:"
        echo "$warnings"
        status=1
    fi
    if command -v lexgrog >/dev/null 2>&1 && ! lexgrog "$page" >/dev/null; then
        echo "$page: no readable NAME section"
        status=1
    fi
done
exit $status
