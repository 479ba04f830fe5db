#!/usr/bin/env bash
# The native suite built with clang's source-based coverage and run; prints
# lines and branches covered per folder of the product (tests, fuzz
# targets and benchmarks not counted). Exits 1 when a test failed (the
# table is printed all the same), 2 when the build or the tools fail.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build/coverage
rm -rf "$build/profiles"
cmake --preset coverage >/dev/null && cmake --build --preset coverage || exit 2
tests=0
ctest --preset coverage || tests=1
shopt -s nullglob
profiles=("$build"/profiles/*.profraw)
if [ ${#profiles[@]} -eq 0 ]; then
  echo "$0: the tests left no coverage profile" >&2
  exit 2
fi
llvm-profdata merge -sparse "${profiles[@]}" -o "$build/coverage.profdata" || exit 2
# Every program and library of the build that carries coverage data.
objects=()
while IFS= read -r file; do
  if llvm-cov report --instr-profile="$build/coverage.profdata" "$file" >/dev/null 2>&1; then objects+=(-object "$file"); fi
done < <(find "$build" -type f \( -perm -u+x -o -name '*.so' \) ! -path '*/CMakeFiles/*' ! -path '*/profiles/*')
if [ ${#objects[@]} -eq 0 ]; then
  echo "$0: no program of the build carries coverage data" >&2
  exit 2
fi
llvm-cov export -skip-expansions -skip-functions -instr-profile="$build/coverage.profdata" "${objects[@]:1}" \
    -ignore-filename-regex='/(tests|fuzz|bench|build)/|^/usr/' >"$build/coverage.json" || exit 2
python3 - "$build/coverage.json" "$here" "$build/uncovered-branches.txt" <<'PY' || exit 2
import json, sys
data = json.load(open(sys.argv[1]))
root = sys.argv[2].rstrip('/') + '/'
folders = {}
for f in data['data'][0]['files']:
    name = f['filename']
    if not name.startswith(root):
        continue
    folder = name[len(root):].split('/')[0] + '/'
    s = f['summary']
    t = folders.setdefault(folder, [0, 0, 0, 0])
    t[0] += s['lines']['covered']; t[1] += s['lines']['count']
    t[2] += s['branches']['covered']; t[3] += s['branches']['count']
# Every branch side that no test took, per file, for the reasons kept in
# docs/coverage.md.
with open(sys.argv[3], 'w') as gaps:
    for f in data['data'][0]['files']:
        name = f['filename']
        if not name.startswith(root):
            continue
        sides = []
        for branch in f.get('branches', []):
            line, column, taken, not_taken = branch[0], branch[1], branch[4], branch[5]
            if taken == 0:
                sides.append((line, column, 'T'))
            if not_taken == 0:
                sides.append((line, column, 'F'))
        if sides:
            gaps.write(name[len(root):] + ' ' + ' '.join(f"{l}:{c}{s}" for l, c, s in sorted(set(sides))) + '\n')
print(f"{'folder':10} {'lines':>16} {'branches':>16}")
for folder in sorted(folders):
    lc, ln, bc, bn = folders[folder]
    pct = lambda c, n: 100.0 * c / n if n else 100.0
    print(f"{folder:10} {pct(lc, ln):6.1f}% {lc:>4}/{ln:<5} {pct(bc, bn):6.1f}% {bc:>4}/{bn:<5}")
PY
echo "branch sides no test took, per file (line:column, T true, F false): $build/uncovered-branches.txt"
exit $tests
