# Sourced by the setup scripts: installs those of the given Debian packages that are not
# installed yet, asking apt only when something is missing (with sudo when not root).
#   install_missing NAME [apt-get install options...] -- PACKAGE...
install_missing() {
    local name="$1"
    shift
    local options=()
    while [ "$1" != "--" ]; do
        options+=("$1")
        shift
    done
    shift

    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if ((${#missing[@]} == 0)); then
        return 0
    fi

    echo "$name: installing ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${options[@]}" "${missing[@]}"
}
