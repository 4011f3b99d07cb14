# Bash completion for vantix. The commands, their sub-commands and options are
# read from vantix's own help (`vantix --help`, `vantix COMMAND --help`, once
# a shell), so that every command of the vantix being completed is offered.
# Other arguments (settings branches, files, folders) complete as file names.

declare -gA _vantix_help_cache

# The help of the vantix typed ($1), or of its command $2.
_vantix_help()
{
    local key="$1|${2-}"
    if [[ -z ${_vantix_help_cache[$key]+set} ]]; then
        _vantix_help_cache[$key]=$("$1" ${2:+"$2"} --help 2>/dev/null)
    fi
    printf '%s\n' "${_vantix_help_cache[$key]}"
}

_vantix()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local program=${COMP_WORDS[0]}
    program=${program/#\~/$HOME}
    COMPREPLY=()
    if [[ ${COMP_WORDS[COMP_CWORD - 1]} == --registry ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
    fi

    # The words before the cursor without the global options, which may
    # stand anywhere.
    local words=() i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --registry) ((i++)) ;;
            --yes) ;;
            *) words+=("${COMP_WORDS[i]}") ;;
        esac
    done

    local help candidates
    if ((${#words[@]} == 0)); then
        help=$(_vantix_help "$program")
        if [[ $cur == -* ]]; then
            candidates=$(grep -o -e '--[a-z][a-z-]*' <<<"$help" | sort -u)
        else
            # The first word of each line under "Commands:".
            candidates=$(awk '/^Commands:/ { on = 1; next }
                              on && NF == 0 { exit }
                              on { print $1 }' <<<"$help")
        fi
        mapfile -t COMPREPLY < <(compgen -W "$candidates" -- "$cur")
        return
    fi

    local command=${words[0]}
    help=$(_vantix_help "$program" "$command")
    if [[ $cur == -* ]]; then
        candidates=$(grep -o -e '--[a-z][a-z-]*' <<<"$help" | sort -u)
        mapfile -t COMPREPLY < <(compgen -W "$candidates --registry --yes" -- "$cur")
        return
    fi
    # A word that the command's usage lines spell out at this place (as
    # "get" in "vantix settings get SECTION KEY", or "favourites|recent"),
    # on the lines whose earlier words match those typed; each once, though
    # several lines spell it ("tasks list", "tasks run").
    local typed=()
    for ((i = 1; i < ${#words[@]}; i++)); do
        [[ ${words[i]} == -* ]] || typed+=("${words[i]}")
    done
    candidates=$(awk -v command="$command" -v typed="${typed[*]}" '
        function literal(word) { return word ~ /^[a-z][a-z0-9|-]*$/ }
        { sub(/^Usage:/, "") }
        $1 == "vantix" && $2 == command {
            count = split(typed, word, " ")
            for (k = 1; k <= count; k++)
                if (literal($(k + 2)) && index("|" $(k + 2) "|", "|" word[k] "|") == 0)
                    next
            next_word = $(count + 3)
            if (literal(next_word)) {
                gsub(/\|/, " ", next_word)
                print next_word
            }
        }' <<<"$help" | sort -u)
    if [[ -n $candidates ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$candidates" -- "$cur")
    else
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -F _vantix vantix
