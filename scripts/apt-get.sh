# Sourced: apt_get, apt-get as root (sudo when needed) that waits for another
# apt or dpkg (an install in another shell, the daily upgrade) to let go of
# its locks, up to 20 minutes, rather than fail at once. Its output shows
# only when it fails.
apt_get() {
    local sudo="" output
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    for _ in $(seq 120); do
        if output="$(DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=10 "$@" 2>&1)"; then
            return 0
        fi
        grep -q -e "Could not get lock" -e "Unable to lock" <<<"$output" || break
        echo "apt-get $1: apt is busy elsewhere, waiting" >&2
    done
    echo "$output" >&2
    return 1
}
