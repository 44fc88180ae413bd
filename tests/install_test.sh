#!/usr/bin/env bash
# Installs the build tree BUILD into a temporary prefix, then runs the installed olive --version
# (it must print VERSION) and the installed example, and checks the installed Python tools'
# first lines and that olive-plot finds the installed data dictionary.
#   tests/install_test.sh BUILD VERSION
set -euo pipefail
build="$1" version="$2"
prefix="$(mktemp -d "${TMPDIR:-/tmp}/olive-install.XXXXXX")"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
[[ "$("$prefix/bin/olive" --version)" == "olive $version" ]] || { echo "olive --version: wrong"; exit 1; }
[[ "$("$prefix/bin/olive-batch" --version)" == "olive-batch $version" ]] ||
  { echo "olive-batch --version: wrong"; exit 1; }
[[ "$("$prefix/bin/olive-wx" --version)" == "olive-wx $version" ]] ||
  { echo "olive-wx --version: wrong"; exit 1; }
for tool in "$prefix/bin/olive-plot" "$prefix/bin/olive-export" "$prefix"/share/olive/tools/*.py; do
  [[ "$(head -n 1 "$tool")" == "#!/usr/bin/env python3" ]] || { echo "$tool: shebang"; exit 1; }
done
# The installed olive-plot finds the installed data dictionary (its help names it).
"$prefix/bin/olive-plot" --help | grep -qF "$prefix/share/olive/docs/columns.md" ||
  { echo "olive-plot: no data dictionary under $prefix/share/olive/docs"; exit 1; }
cd "$prefix"
"$prefix/share/olive/tools/run-example.sh" "$prefix/run" >"$prefix/example.txt"
for f in OliveDaily.txt OUT00end.txt GisFilesList.txt OliveSummaries.txt; do
  [[ -s "$prefix/run/$f" ]] || { echo "the installed example wrote no $f"; exit 1; }
done
[[ ! -s "$prefix/run/errorlog" ]] || { echo "the installed example reported errors"; exit 1; }
echo "installed olive $version runs the installed example"
