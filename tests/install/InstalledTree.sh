#!/usr/bin/env bash
# Tagmill as an installation leaves it, checked as a desktop, man and bash
# would use it:
#
#   InstalledTree.sh install BUILD_DIR VERSION WORK
#       installs BUILD_DIR into WORK/prefix (cmake --install) and checks it
#   InstalledTree.sh package SOURCE_DIR VERSION WORK
#       makes the Debian package (scripts/package.sh, a release build), checks
#       its dependencies, its changelog, lintian's verdict (no error; the
#       warnings are printed) and the tree it unpacks to; skipped (status 77)
#       unless VANTIX_TEST_PACKAGE=1 asks for it
#
# Every file in its place and nothing else, the desktop entry and the metadata
# passing their validators, the icons of the sizes their folders say, both
# programs starting from the installation, the manual pages reading without a
# warning and naming every command, and completion offering the commands.
set -euo pipefail
mode=$1 from=$2 version=$3 work=$4
id=org.tagmill.Tagmill
sizes=(16 22 24 32 48 64 128 256)
failures=0
fail()
{
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work"
case $mode in
install)
    prefix=$work/prefix
    cmake --install "$from" --prefix "$prefix" >/dev/null
    ;;
package)
    if [ "${VANTIX_TEST_PACKAGE:-}" != 1 ]; then
        echo "skipped: set VANTIX_TEST_PACKAGE=1 to build and check the Debian package"
        exit 77
    fi
    deb=$(bash "$from/scripts/package.sh" | tail -n 1)
    [[ $(basename "$deb") == tagmill_"$version"-1_*.deb ]] || fail "package named $deb"
    out=$(lintian --fail-on error "$deb" 2>&1) || fail "lintian finds errors: $out"
    echo "lintian says:"
    grep -v '^running with root privileges' <<<"$out" || echo "nothing"
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6; do
        [[ $depends == *"$library "* || $depends == *"$library," || $depends == *"$library" ]] ||
            fail "the package does not depend on $library: $depends"
    done
    dpkg-deb -x "$deb" "$work/root"
    prefix=$work/root/usr
    changelog=$prefix/share/doc/tagmill/changelog.Debian.gz
    [[ $(gzip -dc "$changelog" | head -n 1) == "tagmill ($version-1) "* ]] ||
        fail "changelog.Debian.gz does not begin with this version"
    ;;
*)
    echo "usage: InstalledTree.sh install|package FROM VERSION WORK" >&2
    exit 2
    ;;
esac

# Every file in its place, and nothing else.
expected=(
    bin/tagmill bin/vantix libexec/vantix/vantix-gui
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    share/man/man1/tagmill.1.gz share/man/man1/vantix.1.gz
    share/bash-completion/completions/vantix share/doc/tagmill/copyright
)
[ "$mode" = install ] || expected+=(share/doc/tagmill/changelog.Debian.gz)
for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
done
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$actual" = "$wanted" ] ||
    fail "installed files differ from those expected:$(diff <(echo "$wanted") <(echo "$actual") | grep '^[<>]')"
for program in bin/tagmill bin/vantix libexec/vantix/vantix-gui; do
    [ -x "$prefix/$program" ] || fail "$program is not executable"
done

# Each PNG is as wide and high as its folder says.
for size in "${sizes[@]}"; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
    [ -f "$png" ] || continue
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [ "$width $height" = "$size $size" ] || fail "$png is $width x $height"
done

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
if [ -f "$desktop" ]; then
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
    grep -qx "Exec=tagmill %f" "$desktop" || fail "the desktop entry does not open a file with tagmill"
    grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"
fi
if [ -f "$metainfo" ]; then
    out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metadata launches another desktop entry"
    latest=$(grep -o -m1 '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
    [ "$latest" = "$version" ] || fail "the metadata's latest release is $latest, not $version"
fi

# Both programs start from the installation, and vantix finds vantix-gui
# there for a command that asks the font database.
for program in tagmill vantix; do
    out=$("$prefix/bin/$program" --version 2>&1) || true
    [ "$out" = "$program $version" ] || fail "$program --version said: $out"
done
out=$(printf '<B>bold</B>' | "$prefix/bin/vantix" convert html2rtf 2>&1) || true
[ "$out" = '\b bold\b0 ' ] || fail "the installed vantix converted HTML to: $out"

# The manual pages read without a warning and say what the help says: the
# options of each program and every command of vantix.
commands=$("$prefix/bin/vantix" --help | awk '/^Commands:/ { on = 1; next }
                                               on && NF == 0 { exit }
                                               on { print $1 }')
[ -n "$commands" ] || fail "vantix --help lists no commands"
for program in tagmill vantix; do
    page=$prefix/share/man/man1/$program.1.gz
    [ -f "$page" ] || continue
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man -l $page warns: $warnings"
    text=$(MANWIDTH=200 man -l "$page" 2>/dev/null | col -b)
    for words in "$program - " "--registry FILE" "--version"; do
        grep -qF -- "$words" <<<"$text" || fail "$program.1 does not say \"$words\""
    done
    if [ "$program" = vantix ]; then
        for command in $commands; do
            # The command's usage line, as its own help prints it.
            usage=$("$prefix/bin/vantix" "$command" --help | head -n 1 | sed 's/^Usage: *//')
            grep -qF -- "$usage" <<<"$text" || fail "vantix.1 does not show \"$usage\""
        done
    fi
done

# Completion offers what the installed vantix's help names, and file names
# where an argument is a file or a settings branch.
completion=$prefix/share/bash-completion/completions/vantix
touch "$work/hive.sqlite3" "$work/page.htm"
while IFS='|' read -r line expected_words; do
    # shellcheck disable=SC2016 # expanded by the inner bash
    got=$(PATH="$prefix/bin:$PATH" bash -c 'source "$1"; read -r -a COMP_WORDS <<<"$2"
              [[ $2 == *" " ]] && COMP_WORDS+=("")
              COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _vantix; echo "${COMPREPLY[*]}"' \
        _ "$completion" "$line")
    [ "$(tr ' ' '\n' <<<"$got" | sort | xargs)" = "$(tr ' ' '\n' <<<"$expected_words" | sort | xargs)" ] ||
        fail "completing \"$line\" offered \"$got\", not \"$expected_words\""
done <<TABLE
vantix se|settings
vantix --ve|--version
vantix --registry $work/hive.sqlite3 --yes settings d|delete delete-branch
vantix settings get --n|--number
vantix picks add f|favourites
vantix index |rebuild search verify lock unlock tasks
vantix index tasks |list run
vantix dump $work/pa|$work/page.htm
vantix --registry $work/h|$work/hive.sqlite3
TABLE
# Every command, whatever commands the installed vantix has.
got=$(PATH="$prefix/bin:$PATH" bash -c 'source "$1"; COMP_WORDS=(vantix ""); COMP_CWORD=1
          _vantix; echo "${COMPREPLY[*]}"' _ "$completion")
[ "$got" = "$(xargs <<<"$commands")" ] || fail "completing \"vantix \" offered \"$got\""

if [ "$failures" -gt 0 ]; then
    echo "$failures checks failed" >&2
    exit 1
fi
echo "the installation in $prefix is whole"
