# Shared by .ci/run and its steps. Sourced, not run.

# need_packages PKG...: installs the Debian packages that are missing.
need_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    echo "== installing: ${missing[*]}"
    if [ -z "${DOORLOCK_APT_UPDATED:-}" ]; then
        apt-get update -qq
        export DOORLOCK_APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# section NAME: a visible header in the CI log.
section() {
    echo
    echo "===================================================================="
    echo "== $*"
    echo "===================================================================="
}
