# Bash completion for quorvel: its commands, each command's options, and the values they take.

_quorvel() {
    local cur prev words cword
    _init_completion || return

    local commands="generate classify solve hint transform bench ocr harvest album"
    local input="-p --puzzle -a --adjacency -x --skip-bad --json -h --help"
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands --help" -- "$cur"))
        return
    fi

    case $prev in
        -m | --map)
            COMPREPLY=($(compgen -W "square jigsaw" -- "$cur"))
            return ;;
        -a | --adjacency)
            COMPREPLY=($(compgen -W "regular x" -- "$cur"))
            return ;;
        -q | --quality)
            COMPREPLY=($(compgen -W "0 1 2 3 4 5 6 7 8 9" -- "$cur"))
            return ;;
        -t | --symmetry)
            COMPREPLY=($(compgen -W "identity flip-rows flip-columns half-turn transpose anti-transpose rotate-cw rotate-ccw" -- "$cur"))
            return ;;
        -b | --before)
            COMPREPLY=($(compgen -W "naked-single hidden-single locked-candidates subsets double-restriction x-wing swordfish turbot xy-wing w-wing jellyfish x-chain xy-chain als franken-fish forcing-net" -- "$cur"))
            return ;;
        --store)
            _filedir z
            return ;;
        -p | --puzzle | -n | --count | -j | --jobs | -s | --seed | -d | --digits | --retries | --time-limit | \
            --hard-ms | --node-limit | --solutions | --puzzles | --games | --per-bucket | --harvests | \
            --search-attempts | --search-ms)
            return ;;
    esac

    local opts files=1
    case ${words[1]} in
        generate)
            opts="-q --quality -m --map -a --adjacency -x -n --count -j --jobs -s --seed --grid --json --retries -v --verbose -h --help"
            files=0 ;;
        classify) opts="--cells --time-limit $input" ;;
        solve) opts="--grid --time-limit $input" ;;
        hint) opts="-b --before $input" ;;
        transform) opts="-t --symmetry -d --digits --inverse --all $input" ;;
        bench)
            opts="--quick -s --seed --hard-ms --json -v --verbose -h --help"
            files=0 ;;
        ocr)
            opts="--grid --json --unsound -h --help"
            if [[ $cur != -* ]]; then
                _filedir '@(png|PNG|jpg|JPG|jpeg|JPEG)'
                return
            fi ;;
        harvest)
            opts="-m --map -a --adjacency -x -n --count -j --jobs -s --seed --node-limit --puzzles --store --json -v --verbose -h --help"
            files=0 ;;
        album)
            if ((cword == 2)); then
                COMPREPLY=($(compgen -W "write list" -- "$cur"))
                return
            fi
            if [[ ${words[2]} == list ]]; then
                opts="--json -h --help"
            else
                opts="--solutions --puzzles --per-bucket --harvests --search-attempts --search-ms --games --node-limit -m --map -a --adjacency -x -j --jobs -s --seed --json -v --verbose -h --help"
            fi ;;
        *) return ;;
    esac

    if [[ $cur == -* ]] || ((files == 0)); then
        COMPREPLY=($(compgen -W "$opts" -- "$cur"))
    else
        _filedir
    fi
} &&
    complete -F _quorvel quorvel
