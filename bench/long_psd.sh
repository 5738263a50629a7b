# Sourced by the benchmark scripts: long_psd PSD FRAMES OUT writes OUT, the header
# records of PSD followed by its frame records over and over, cut to FRAMES frames.
long_psd() {
    _dir=$(dirname "$3")
    head -c 1024 "$1" > "$_dir/.head"
    tail -c +1025 "$1" > "$_dir/.body"
    while [ "$(stat -c %s "$_dir/.body")" -lt $(($2 * 512)) ]; do
        cat "$_dir/.body" "$_dir/.body" > "$_dir/.twice" && mv "$_dir/.twice" "$_dir/.body"
    done
    truncate -s $(($2 * 512)) "$_dir/.body"
    cat "$_dir/.head" "$_dir/.body" > "$3"
    rm -f "$_dir/.head" "$_dir/.body"
}
