#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the man page of pontra-cli or pontra-sim from the program's own --help (and, for
# pontra-cli, each subcommand's --help), so the page says what the program does.
#   scripts/make-manpage.sh PROGRAM VERSION OUT.1.gz
set -euo pipefail
program=${1:?usage: make-manpage.sh PROGRAM VERSION OUT}
version=${2:?usage: make-manpage.sh PROGRAM VERSION OUT}
out=${3:?usage: make-manpage.sh PROGRAM VERSION OUT}
name=$(basename "$program")

# roff-safe text: backslashes doubled, a leading dot or quote kept from being a request.
escape() { sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"; }

# The help as printed, the program named as a user calls it rather than by its build path.
help_block() {
    printf '.nf\n'
    "$@" --help | sed "s|$program|$name|g" | escape
    printf '.fi\n'
}

case "$name" in
pontra-cli)
    summary="build, inspect and download Vessa zone-control programs without a window"
    description="pontra-cli is the Pontra core without a window: it creates and inspects .clp
projects, imports and exports component text, verifies and builds program images, and
downloads them to modules and watches them online. Messages go to standard error,
output-window lines to standard output. Text from the project (Windows-1252) is printed in
the locale's encoding; component files exported with -o keep the project's bytes, and
import reads both Windows-1252 and UTF-8 files."
    ;;
pontra-sim)
    summary="soft Vessa modules on loopback addresses"
    description="pontra-sim stands in for one or many Vessa modules on loopback addresses
(127.0.0.0/8 only): it answers the register protocol, TFTP and the datagram channel, stores
the program image it receives, checks it and runs it. It prints one line
\"module ADDRESS TYPE ready\" per module once it serves. SIGINT or SIGTERM ends it with
status 0."
    ;;
*)
    echo "make-manpage: no page for $name" >&2
    exit 2
    ;;
esac

tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
{
    printf '.TH %s 1 "" "Pontra %s" "Pontra"\n' "$(tr a-z A-Z <<<"$name" | sed 's/-/\\-/g')" "$version"
    printf '.SH NAME\n%s \\- %s\n' "${name//-/\\-}" "$summary"
    printf '.SH DESCRIPTION\n%s\n' "$(escape <<<"$description")"
    printf '.SH OPTIONS\n'
    help_block "$program"
    if [ "$name" = pontra-cli ]; then
        printf '.SH COMMANDS\n'
        # The subcommand names: the lines of the Subcommands section of --help.
        "$program" --help | sed -n '/^[Ss][Uu][Bb][Cc][Oo][Mm][Mm][Aa][Nn][Dd][Ss]:/,$p' | tail -n +2 |
            awk 'NF { print $1 }' | while read -r command; do
                printf '.SS %s\n' "$command"
                help_block "$program" "$command"
            done
        printf '.SH EXIT STATUS\n0 success, 1 the operation failed, 2 usage error or unreadable input.\n'
        printf '.SH SEE ALSO\n.BR pontra\\-sim (1),\n.BR pontra (1).\nThe user guide: /usr/share/doc/pontra/Pontra.pdf\n'
    else
        printf '.SH EXIT STATUS\n0 ended by a signal, 1 a module could not start, 2 usage error.\n'
        printf '.SH SEE ALSO\n.BR pontra\\-cli (1).\nThe user guide: /usr/share/doc/pontra/Pontra.pdf\n'
    fi
    printf '.SH LICENCE\nGPL\\-3.0\\-or\\-later: GNU General Public License, version 3 or later.\n'
} > "$tmp"
gzip -9nc "$tmp" > "$out"
