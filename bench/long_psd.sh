# Sourced by the benchmark scripts to make long casts from the demo's short ones.

# repeat_to BYTES FILE: FILE over and over (doubled until long enough), cut to BYTES.
repeat_to() {
    while [ "$(stat -c %s "$2")" -lt "$1" ]; do
        cat "$2" "$2" > "$2.twice" && mv "$2.twice" "$2"
    done
    truncate -s "$1" "$2"
}

# long_psd PSD FRAMES OUT writes OUT, the header records of PSD followed by its frame
# records over and over, cut to FRAMES frames.
long_psd() {
    _dir=$(dirname "$3")
    head -c 1024 "$1" > "$_dir/.head"
    tail -c +1025 "$1" > "$_dir/.body"
    repeat_to $(($2 * 512)) "$_dir/.body"
    cat "$_dir/.head" "$_dir/.body" > "$3"
    rm -f "$_dir/.head" "$_dir/.body"
}

# long_raw RAW FRAMES OUT writes OUT, the 80-byte records of RAW over and over, cut to FRAMES frames.
long_raw() {
    cp "$1" "$3"
    repeat_to $(($2 * 80)) "$3"
}
