#!/usr/bin/env bash
# The documents name what exists: every message box the program shows has
# its row (text, title) in the user guide's table of messages, and every
# test, function and member that docs/architecture.md, docs/windows.md,
# tests/README.md and bench/README.md name in backticks
# (tst_..., camelCase, Class::member) occurs in the code of the sources, their
# comments left out. Finding no message box at all fails: the pattern no
# longer matches how the program shows them.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
product=("$root/app" "$root/dicom" "$root/operators" "$root/settings" "$root/ui")
status=0

rows=$(grep -rlZ --include='*.cpp' 'show(' "${product[@]}" | xargs -0r perl -0777 -ne \
           'print "| $2 | $1 |\n" while /\.show\(\s*QStringLiteral\("([^"]*)"\),\s*QStringLiteral\("([^"]*)"\)/g' || true)
if [[ -z $rows ]]; then
    echo "no message box found in the sources: .show(QStringLiteral(text), QStringLiteral(title))" >&2
    status=1
fi
while IFS= read -r row; do
    if [[ -n $row ]] && ! grep -qF -- "$row" "$root/docs/Bedienungsanleitung.md"; then
        echo "docs/Bedienungsanleitung.md: no row for the message $row" >&2
        status=1
    fi
done <<<"$rows"

# The code: C++ without // and /* */ comments (strings kept), CMake without #.
code=$(find "${product[@]}" "$root/tests" "$root/bench" "$root/fuzz" \
           \( -name '*.h' -o -name '*.cpp' -o -name CMakeLists.txt \) -print0 | xargs -0 perl -0777 -ne '
    if ($ARGV =~ /CMakeLists/) { s/(^|\s)#.*/$1/gm }
    else { s{("(?:\\.|[^"\\\n])*"|\x27(?:\\.|[^\x27\\\n])*\x27)|//[^\n]*|/\*.*?\*/}{$1 // ""}gse }
    print')

while IFS= read -r name; do
    if ! grep -qw -e "$name" <<<"$code"; then
        echo "the documents name $name, which the sources do not have" >&2
        status=1
    fi
done < <(cat "$root/docs/architecture.md" "$root/docs/windows.md" "$root/tests/README.md" "$root/bench/README.md" \
             | grep -o '`[^`]*`' \
             | grep -oE '\b(tst_[a-z_]+|[a-z]+[A-Z][A-Za-z0-9]*|[A-Z][A-Za-z0-9]*::[a-zA-Z][A-Za-z0-9]*)' \
             | sed 's/.*:://' | sort -u)
exit $status
