#!/usr/bin/env bash
# Usage: install_staged_test.sh BUILD PREFIX STAGE VERSION APP_ID
set -uo pipefail
build=$1 prefix=$2 stage=$3 version=$4 app_id=$5
root=$stage$prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
skip() { echo "SKIP: $*"; }

# Each package's component into a staging root of its own, as each package
# holds it: the program (lumibench), the C++ tool SDK (sdk, stripped as the
# package strips it) and the Python tool SDK (python).
rm -rf "$stage" "$stage.sdk" "$stage.python"
for component in lumibench sdk python; do
  into=$stage
  [ "$component" = lumibench ] || into=$stage.$component
  if ! DESTDIR=$into cmake --install "$build" --component "$component" --strip >"$stage.log" 2>&1; then
    cat "$stage.log"; echo "FAIL: cmake --install --component $component"; exit 1
  fi
done

# Where every part must land: kind (x executable, f file, d folder) and path
# under the prefix. The configuration follows the prefix: /etc for /usr.
case $prefix in
  /usr) conf=$stage/etc/xdg/lumibench ;;
  *) conf=$root/etc/xdg/lumibench ;;
esac
while read -r kind path; do
  [ -z "$kind" ] && continue
  file=$root/$path
  case $kind in
    x) [ -f "$file" ] && [ -x "$file" ] || fail "no program $path" ;;
    f) [ -f "$file" ] && [ -s "$file" ] || fail "no file $path" ;;
    d) [ -d "$file" ] || fail "no folder $path" ;;
  esac
done <<ROWS
x bin/lumibench
x bin/lumibench-check
x bin/lumibench-settings
x bin/lumibench-productlist
x bin/lumibench-photometry
x bin/lumibench-thumbnail
f share/thumbnailers/lumibench.thumbnailer
f share/bash-completion/completions/lumibench
x libexec/lumibench/Tool_ViewPE
f share/lumibench/Lumibench_PE-License.rtf
f share/lumibench/Lumibench_PE-Welcome.htm
f share/lumibench/Lumibench_PE-Banner.jpg
f share/lumibench/Lumibench_PE-Splash.jpg
f share/lumibench/help/index.html
f share/lumibench/samples/downlight.ies
f share/man/man1/lumibench.1.gz
f share/man/man1/lumibench-check.1.gz
f share/man/man1/lumibench-settings.1.gz
f share/man/man1/lumibench-productlist.1.gz
f share/applications/$app_id.desktop
f share/metainfo/$app_id.metainfo.xml
f share/mime/packages/lumibench.xml
f share/icons/hicolor/scalable/apps/lumibench.svg
f share/icons/hicolor/scalable/mimetypes/application-x-ies-lm63.svg
f share/doc/lumibench/copyright
ROWS
[ -f "$conf/machine.ini" ] || fail "no machine config in $conf"
[ -d "$conf/machine.d" ] || fail "no drop-in folder $conf/machine.d"

# Programs that exist are installed with their manual page, and only the
# programs of bin/ have one.
for program in "$root"/bin/*; do
  [ -f "$root/share/man/man1/$(basename "$program").1.gz" ] || fail "no manual page for $(basename "$program")"
done
for page in "$root"/share/man/man1/*; do
  [ -x "$root/bin/$(basename "$page" .1.gz)" ] || fail "manual page without a program: $(basename "$page")"
  # The check lintian makes: the page formats without a warning.
  if command -v man >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "manual page $(basename "$page"): $warnings"
  fi
done

# Every program of bin/ is completed by bash, and nothing else is.
for program in "$root"/bin/*; do
  [ -f "$root/share/bash-completion/completions/$(basename "$program")" ] ||
    fail "no bash completion for $(basename "$program")"
done
for script in "$root"/share/bash-completion/completions/*; do
  [ -x "$root/bin/$(basename "$script")" ] || fail "bash completion without a program: $(basename "$script")"
  bash -n "$script" || fail "bash cannot read the completion $(basename "$script")"
done

# The program's package holds nothing of the SDKs.
for unwanted in include lib/python3; do
  [ ! -e "$root/$unwanted" ] || fail "the program's package holds $unwanted"
done
[ -z "$(find "$root" -name '*.a')" ] || fail "the program's package holds static archives"

# The C++ tool SDK: headers, archives without debug information, the CMake
# package, the pkg-config file and the example, and no program.
sdk=$stage.sdk$prefix
for path in include/lumibench/sdk/tool_session.h include/lumibench/sdk/sdk_version.h \
            share/doc/liblumibench-tool-sdk-dev/copyright share/doc/liblumibench-tool-sdk-dev/changelog.Debian.gz \
            share/doc/liblumibench-tool-sdk-dev/examples/main.cpp \
            share/doc/liblumibench-tool-sdk-dev/examples/CMakeLists.txt; do
  [ -s "$sdk/$path" ] || fail "the SDK has no $path"
done
for name in liblumibench_tool_sdk.a liblumibench_tool_sdk_widgets.a LumibenchToolSDKConfig.cmake lumibench-tool-sdk.pc; do
  found=$(find "$sdk" -name "$name")
  [ -n "$found" ] || { fail "the SDK has no $name"; continue; }
  if [[ $name == *.a ]]; then
    sections=$(objdump -h "$found" 2>&1) || fail "objdump cannot read $name"
    ! grep -q '\.debug_info' <<<"$sections" || fail "$name keeps its debug information"
    grep -q ' \.text' <<<"$sections" || fail "$name lost its code"
  fi
done
[ ! -e "$sdk/bin" ] || fail "the SDK package holds programs"

# The Python tool SDK: the module where python3 finds it, and its example.
python=$stage.python$prefix
[ -s "$python/lib/python3/dist-packages/lumibench_tool.py" ] || fail "no lumibench_tool in dist-packages"
[ -s "$python/share/doc/python3-lumibench-tool/examples/example_tool.py" ] || fail "no Python example"
[ -s "$python/share/doc/python3-lumibench-tool/copyright" ] || fail "no copyright in the Python package"
imported=$(cd / && PYTHONPATH=$python/lib/python3/dist-packages python3 -c \
  'import lumibench_tool; print(lumibench_tool.SLOT_COUNT)' 2>&1)
[ "$imported" = 25 ] || fail "python3 cannot import lumibench_tool: $imported"
pyproject=$(dirname "$0")/../../sdk/python/pyproject.toml
grep -qx "version = \"$version\"" "$pyproject" || fail "sdk/python/pyproject.toml does not give version $version"

# Nothing for tests only: the probe, the test programs, the build's own catalogue.
for unwanted in lumibench_probe machine.ini platform_test; do
  found=$(find "$stage" -name "$unwanted" -not -path "$conf/*")
  [ -z "$found" ] || fail "installed for tests only: $found"
done
grep -q "lumibench_probe" "$conf/machine.ini" && fail "the installed catalogue names the probe"
grep -q "Example" "$conf/machine.ini" && fail "the installed catalogue names the developers' example tool"

# Every tool of the installed catalogue exists where it is said to be.
tools=0
while IFS='=' read -r name value; do
  case $name in
    ToolActName*) act[${name#ToolActName}]=$value ;;
    ToolPath*) dir[${name#ToolPath}]=$value ;;
  esac
done < <(tr -d '\r' < "$conf/machine.ini")
for k in "${!act[@]}"; do
  tools=$((tools + 1))
  [ "${dir[$k]}" = "$prefix/libexec/lumibench" ] || fail "tool $k is not in libexec: ${dir[$k]}"
  [ -x "$stage${dir[$k]}/${act[$k]}" ] || fail "tool $k: no program ${dir[$k]}/${act[$k]}"
done
[ "$tools" -gt 0 ] || fail "the installed catalogue lists no tool"

# The installed command-line programs run and know their version.
for program in lumibench-check lumibench-settings lumibench-productlist lumibench-photometry lumibench-thumbnail; do
  [ "$program" = lumibench-photometry ] && [ ! -e "$root/bin/$program" ] && continue
  out=$("$root/bin/$program" --version 2>&1)
  [ "$out" = "$program $version" ] || fail "$program --version said: $out"
done
"$root/bin/lumibench-check" "$root/share/lumibench/samples/downlight.ies" >/dev/null ||
  fail "the installed checker refused an installed sample"

# The thumbnailer entry's own command line, as a file manager runs it:
# without a display or a settings store.
exec_line=$(sed -n 's/^Exec=//p' "$root/share/thumbnailers/lumibench.thumbnailer")
command=${exec_line//%s/128}
command=${command//%i/$root/share/lumibench/samples/downlight.ies}
command=${command//%o/$stage.thumbnail.png}
read -ra command_words <<<"$command"
command_words[0]=$root/bin/${command_words[0]}
env -i PATH=/usr/bin:/bin "${command_words[@]}" || fail "the thumbnailer entry's command failed: $command"
[ "$(head -c 8 "$stage.thumbnail.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
  fail "the thumbnailer wrote no PNG"
rm -f "$stage.thumbnail.png"

# The installed program starts from the staging folder, with the installed
# tools on its toolbar, and finds its bundled files relative to itself.
work=$stage.run
rm -rf "$work" && mkdir -p "$work"
sed "s|^ToolPath\([0-9]*\)=|ToolPath\1=$stage|" "$conf/machine.ini" > "$work/machine.ini"
cp "$root/share/lumibench/samples/downlight.ies" "$work/"
export LUMIBENCH_MACHINE_CONFIG=$work/machine.ini
export LUMIBENCH_SETTINGS=$work/settings.sqlite3
if ! timeout 60 "$root/bin/lumibench" --screenshot "$work/shot.png" "$work/downlight.ies" >"$work/run.log" 2>&1; then
  cat "$work/run.log"; fail "the installed lumibench --screenshot failed"
fi
for shown in "listed: downlight.ies" "tool: Tool_ViewPE"; do
  grep -qx "$shown" "$work/run.log" || fail "the installed program did not show '$shown'"
done
[ "$(head -c 8 "$work/shot.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
  fail "no PNG screenshot"
banner=$("$root/bin/lumibench-settings" get Lumibench_PE Lumibench_PE BannerFilename 2>&1)
[ "$banner" = "$(realpath "$root")/share/lumibench/Lumibench_PE-Banner.jpg" ] ||
  fail "the installed program looked for its banner at $banner"

# Each file type has its icon and is one the desktop entry opens.
desktop=$root/share/applications/$app_id.desktop
for type in $(grep -o '<mime-type type="[^"]*"' "$root/share/mime/packages/lumibench.xml" | cut -d'"' -f2); do
  [ -f "$root/share/icons/hicolor/scalable/mimetypes/${type/\//-}.svg" ] || fail "no icon for $type"
  grep -q "^MimeType=.*$type;" "$desktop" || fail "the desktop entry does not open $type"
  grep -q "^MimeType=.*$type;" "$root/share/thumbnailers/lumibench.thumbnailer" ||
    fail "the thumbnailer entry does not draw $type"
done

# The file types: the shared MIME database compiles them with their globs and magic.
if command -v update-mime-database >/dev/null; then
  mime=$work/mime
  mkdir -p "$mime/packages" && cp "$root/share/mime/packages/lumibench.xml" "$mime/packages/"
  if XDG_DATA_DIRS=$work update-mime-database "$mime" >"$work/mime.log" 2>&1 && ! grep -q . "$work/mime.log"; then
    while read -r type glob; do
      awk -F: -v t="$type" -v g="$glob" '$2 == t && $3 == g { found = 1 } END { exit !found }' \
        "$mime/globs2" || fail "no glob $glob for $type"
    done <<ROWS
application/x-ies-lm63 *.ies
application/x-eulumdat *.ldt
application/x-eulumdat *.exl
application/x-cibse-tm14 *.cib
application/x-cibse-tm14 *.tml
application/x-cibse-tm14 *.c1s
application/x-cibse-tm14 *.cc
application/x-gldf *.gldf
ROWS
    for magic in IESNA IES:LM-63 CIBSE/1; do
      grep -aq "$magic" "$mime/magic" || fail "no magic $magic"
    done
  else
    cat "$work/mime.log"; fail "update-mime-database refused lumibench.xml"
  fi
else
  skip "update-mime-database is not installed"
fi

# The validators, when this machine has them.
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$root/share/applications/$app_id.desktop" 2>&1)
  [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  skip "desktop-file-validate is not installed"
fi
if command -v appstreamcli >/dev/null; then
  # Offline: the screenshots' addresses are not fetched.
  timeout 60 appstreamcli validate --no-net --explain "$root/share/metainfo/$app_id.metainfo.xml" \
    >"$work/appstream.log" 2>&1 || { cat "$work/appstream.log"; fail "appstreamcli validate"; }
else
  skip "appstreamcli is not installed"
fi

[ -n "${KEEP_STAGE:-}" ] || rm -rf "$stage" "$stage.sdk" "$stage.python" "$work" "$stage.log"
[ "$failures" -eq 0 ] || exit 1
echo "installed layout, programs and desktop files are as expected"
