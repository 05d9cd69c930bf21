#!/usr/bin/env bash
# The documents name what exists: every message box the program shows has
# its row (text, title) in the user guide's table of messages, and every
# test, function and member that docs/architecture.md names in backticks
# (tst_..., camelCase, Class::member) occurs in the sources.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
product=("$root/app" "$root/dicom" "$root/operators" "$root/settings" "$root/ui")
status=0

while IFS= read -r row; do
    if ! grep -qF -- "$row" "$root/docs/Bedienungsanleitung.md"; then
        echo "docs/Bedienungsanleitung.md: no row for the message $row" >&2
        status=1
    fi
done < <(grep -rlZ --include='*.cpp' 'show(' "${product[@]}" | xargs -0 perl -0777 -ne \
             'print "| $2 | $1 |\n" while /\.show\(\s*QStringLiteral\("([^"]*)"\),\s*QStringLiteral\("([^"]*)"\)/g')

while IFS= read -r name; do
    if ! grep -rqw --include='*.h' --include='*.cpp' --include='CMakeLists.txt' -e "$name" \
             "${product[@]}" "$root/tests" "$root/bench" "$root/fuzz"; then
        echo "docs/architecture.md names $name, which the sources do not have" >&2
        status=1
    fi
done < <(grep -o '`[^`]*`' "$root/docs/architecture.md" \
             | grep -oE '\b(tst_[a-z_]+|[a-z]+[A-Z][A-Za-z0-9]*|[A-Z][A-Za-z0-9]*::[a-zA-Z][A-Za-z0-9]*)' \
             | sed 's/.*:://' | sort -u)
exit $status
