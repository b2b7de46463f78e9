# bash completion for zarnowelle                                    -*- shell-script -*-
# Commands, each command's options, the values of the options that take a fixed set,
# and files: modules and playlists for the inputs, folders for --plugins.

_zarnowelle_values()   # option: the words it takes, empty when any value goes
{
    case $1 in
        --interpolation) echo "nearest linear cubic sinc" ;;
        --amiga) echo "off a500 a1200" ;;
        --rules) echo "auto SoundTracker15 SoundTracker31 NoiseTracker StarTracker ProTracker FastTracker TakeTracker" ;;
        --format) echo "wav flac ogg" ;;
    esac
}

_zarnowelle_options()   # command: its options
{
    local sound="--seek --max-time --repeat --stereo --gain --interpolation --ramping --rules --amiga"
    case $1 in
        play) echo "-h --help --plugins --check-audio --shuffle $sound" ;;
        render) echo "-h --help --plugins -o --output $sound --seek-permille --samplerate --format --force -q --quiet -j --jobs" ;;
        info) echo "-h --help --plugins --json --samples --max-time" ;;
        trace) echo "-h --help --plugins --ticks --json --past-end" ;;
        about | types) echo "-h --help --plugins" ;;
        *) echo "-h --help --version --plugins" ;;
    esac
}

# Modules and playlists by their names (any case: *.mod, mod.* as on the Amiga, *.mtm,
# *.m3u, *.m3u8), and folders to go into.
_zarnowelle_inputs()
{
    local cur=$1 name
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    for name in $(compgen -f -- "$cur"); do
        if [[ -d $name ]]; then
            COMPREPLY+=("$name")
            continue
        fi
        case ${name,,} in
            *.mod | */mod.* | mod.* | *.mtm | *.m3u | *.m3u8) COMPREPLY+=("$name") ;;
        esac
    done
}

_zarnowelle()
{
    COMPREPLY=()
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    # `--option=value` reaches us as three words, the "=" alone in the middle.
    if [[ $cur == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 1]} cur=""
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    local command="" word i
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            --plugins) ((i++)) ;;
            play | render | about | types | info | trace)
                command=$word
                break
                ;;
            -*) ;;
            *)  # a file first: the line plays it
                command=play
                break
                ;;
        esac
    done

    case $prev in
        --interpolation | --amiga | --rules | --format)
            local IFS=$' \t\n'
            COMPREPLY=($(compgen -W "$(_zarnowelle_values "$prev")" -- "$cur"))
            return
            ;;
        --plugins)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -d -- "$cur"))
            return
            ;;
        -o | --output)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
        --seek | --max-time | --repeat | --stereo | --gain | --seek-permille | --samplerate | \
            -j | --jobs | --ticks)
            return   # a number
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_zarnowelle_options "$command")" -- "$cur"))
        return
    fi
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "play render about types info trace" -- "$cur"))
    fi
    case $command in
        about | types) ;;
        *) _zarnowelle_inputs "$cur" ;;
    esac
} &&
    complete -F _zarnowelle zarnowelle
