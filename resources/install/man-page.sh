#!/usr/bin/env bash
# Writes a program's manual page from its own --help and --version, so that
# the page says what the program says:
#
#   man-page.sh HELP2MAN PROGRAM NAME_LINE SEE_ALSO OUTPUT [--commands]
#
# With --commands, a COMMANDS section follows with each command's own help
# (`PROGRAM COMMAND --help`) for every command that `PROGRAM --help` lists
# under "Commands:".
set -euo pipefail
help2man=$1 program=$2 name_line=$3 see_also=$4 output=$5 commands=${6-}

include="$output.include"
trap 'rm -f "$include"' EXIT

# Text shown as it is printed: the escape character doubled, and a line
# that starts with a control character kept from being read as a request.
roff_text()
{
    sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/"
}

{
    if [ "$commands" = --commands ]; then
        echo "[COMMANDS]"
        echo ".PP"
        printf '%s\n' "Each command's own help, as \\fB$(basename "$program") \\fICOMMAND\\fB \\-\\-help\\fR prints it."
        "$program" --help | awk '/^Commands:/ { on = 1; next } on && NF == 0 { exit } on { print $1 }' |
            while read -r command; do
                echo ".SS $command"
                echo ".nf"
                "$program" "$command" --help | roff_text
                echo ".fi"
            done
    fi
    echo "[SEE ALSO]"
    echo "$see_also"
} >"$include"

"$help2man" --no-info --section=1 --name="$name_line" --include="$include" \
    --output="$output" "$program"
