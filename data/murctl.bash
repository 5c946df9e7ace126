# SPDX-License-Identifier: MIT
# Bash completion for murctl: commands, options, and queue files where a queue is expected.
_murctl() {
    local cur prev words cword
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    local options="--screen --config --json --help --version"

    case $prev in
        --config) COMPREPLY=($(compgen -d -- "$cur")); return ;;
        --screen) COMPREPLY=($(compgen -W "1024x768 1280x1024 1920x1080 2560x1440" -- "$cur")); return ;;
        --queue) COMPREPLY=($(compgen -f -X '!*.[qQ][uU]3' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --out) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    esac

    # The command and its words, options left out.
    local -a args=()
    local i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --screen|--config|--queue|--entry|--out|--depth) ((i++)) ;;
            -*) ;;
            *) args+=("${COMP_WORDS[i]}") ;;
        esac
    done

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --queue --entry --out --depth --loaded" -- "$cur"))
        return
    fi
    case ${#args[@]} in
        0) COMPREPLY=($(compgen -W "queue change render clear current autostart" -- "$cur")) ;;
        1)
            case ${args[0]} in
                queue) COMPREPLY=($(compgen -W "new info list add delete clear relink use-folder save-as" -- "$cur")) ;;
                autostart) COMPREPLY=($(compgen -W "on off status" -- "$cur")) ;;
            esac
            ;;
        2)
            # Every queue subcommand names its queue file first.
            [[ ${args[0]} == queue ]] &&
                COMPREPLY=($(compgen -f -X '!*.[qQ][uU]3' -- "$cur") $(compgen -d -- "$cur"))
            ;;
        *)
            [[ ${args[0]} == queue ]] && COMPREPLY=($(compgen -f -- "$cur"))
            ;;
    esac
}
complete -F _murctl murctl
