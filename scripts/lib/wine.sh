# Sourced by the Windows scripts: what they do alike with Wine.

# A Unix path as Wine's Z: drive names it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Makes $WINEPREFIX when it does not exist yet and starts Wine's background services. They start
# with the first program; started here, they do not hold the output pipe of a later command
# (a build step, a captured output), which would then wait for them to end.
start_wine_prefix() {
    mkdir -p "$WINEPREFIX"
    [[ -f $WINEPREFIX/system.reg ]] || wineboot --init >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}
