#!/usr/bin/env bash
# Builds the release of the current commit from a clean clone and writes
# dist/VeyraConfig-VERSION.zip: the program, the players' guides (Markdown and
# plain text), a short README.txt / LIESMICH.txt and SHA256SUMS. The build is
# reproducible: no time stamp in the program's header, the archive's dates are
# the commit's (SOURCE_DATE_EPOCH), and its entries are in a fixed order.
#   scripts/package.sh            the package of HEAD, in dist/
#   scripts/package.sh --verify   builds HEAD twice in two clean clones and
#                                 fails unless the programs and zips are identical
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
usage() { sed -n '2,9p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; }
verify=0
case "${1:-}" in
  "") ;;
  --verify) verify=1 ;;
  -h|--help) usage; exit 0 ;;
  *) echo "package.sh: unknown argument: $1" >&2; usage >&2; exit 2 ;;
esac
[ $# -le 1 ] || { usage >&2; exit 2; }

"$root/scripts/deps.sh" >/dev/null || exit 1
cd "$root"
commit=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  echo "package.sh: note: uncommitted changes are not packaged; building commit ${commit:0:12}" >&2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# build_in DIR: clones the commit into DIR, builds the release there and makes
# DIR/dist/VeyraConfig-VERSION.zip; prints the zip's path.
build_in() {
  local dir=$1
  git clone --quiet --no-local "$root" "$dir/src"
  git -C "$dir/src" checkout --quiet "$commit"
  cmake -S "$dir/src" -B "$dir/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVEYRA_UNIT_TESTS=OFF >"$dir/configure.log" 2>&1 ||
    { cat "$dir/configure.log" >&2; return 1; }
  cmake --build "$dir/build" --target VeyraConfig >"$dir/build.log" 2>&1 ||
    { tail -n 40 "$dir/build.log" >&2; return 1; }
  /usr/bin/python3 "$root/scripts/make-release-zip.py" "$dir/src" "$dir/build" \
    "$dir/dist"
}

if [ "$verify" -eq 0 ]; then
  zip=$(build_in "$work/a")
  mkdir -p "$root/dist"
  cp "$zip" "$root/dist/"
  echo "$root/dist/$(basename "$zip")"
  (cd "$root/dist" && sha256sum "$(basename "$zip")")
  exit 0
fi

zip_a=$(build_in "$work/a")
zip_b=$(build_in "$work/b")
status=0
for file in build/VeyraConfig.exe "dist/$(basename "$zip_a")"; do
  sum_a=$(sha256sum <"$work/a/$file" | cut -d' ' -f1)
  sum_b=$(sha256sum <"$work/b/$file" | cut -d' ' -f1)
  if [ "$sum_a" = "$sum_b" ]; then
    echo "reproducible: $(basename "$file") $sum_a"
  else
    echo "NOT reproducible: $(basename "$file") $sum_a (first clone) $sum_b (second clone)"
    cmp "$work/a/$file" "$work/b/$file" | head -n 1 || true
    status=1
  fi
done
exit $status
