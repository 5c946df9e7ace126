#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Loads every help page in headless Chromium and fails when a page does not load or a picture on it
# does not decode. Leaves a picture of the contents page in build/help-contents.png.
# Installs Debian's chromium package first when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
help="$root/help"

if ! command -v chromium >/dev/null 2>&1; then
    echo "Installing: chromium"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends chromium
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

browser() {
    # --no-sandbox: Chromium refuses to start as root otherwise. The private profile keeps the
    # user's own browser settings out of the check.
    chromium --headless=new --no-sandbox --disable-gpu --no-first-run --user-data-dir="$work/profile" \
        --allow-file-access-from-files --hide-scrollbars "$@" 2>"$work/chromium.log"
}

# The harness opens every page in a frame of its own; a frame whose page did not load has no
# title, and a picture that did not decode has a natural width of 0.
pages=()
for page in "$help"/*.html; do pages+=("$(basename "$page")"); done
[ ${#pages[@]} -gt 0 ] || { echo "No help pages in $help"; exit 1; }
{
    echo '<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>'
    for page in "${pages[@]}"; do echo "<iframe src=\"file://$help/$page\" data-page=\"$page\"></iframe>"; done
    cat <<'SCRIPT'
<pre id="report"></pre>
<script>
window.addEventListener('load', () => {
    const lines = [];
    for (const frame of document.querySelectorAll('iframe')) {
        const page = frame.dataset.page;
        let doc = null;
        try { doc = frame.contentDocument; } catch (e) { }
        if (!doc || !doc.title || !doc.querySelector('h1')) { lines.push('FAIL ' + page + ': did not load'); continue; }
        const pictures = Array.from(doc.images);
        const broken = pictures.filter(img => !img.complete || img.naturalWidth === 0);
        for (const img of broken) lines.push('FAIL ' + page + ': picture ' + img.getAttribute('src') + ' does not decode');
        if (broken.length === 0) lines.push('OK ' + page + ' (' + pictures.length + ' pictures)');
    }
    document.getElementById('report').textContent = lines.join('\n') + '\nEND';
});
</script></body></html>
SCRIPT
} >"$work/harness.html"

browser --virtual-time-budget=10000 --dump-dom "file://$work/harness.html" >"$work/dom.html" || true
report=$(sed -n '/<pre id="report">/,/END/p' "$work/dom.html" | sed -e 's/<pre id="report">//')
if ! grep -q '^END' <<<"$report"; then
    echo "Chromium did not run the check; its messages:"
    cat "$work/chromium.log"
    exit 1
fi
grep -v '^END' <<<"$report"

mkdir -p build
browser --screenshot="$root/build/help-contents.png" --window-size=1000,1600 "file://$help/index.html" >/dev/null
echo "Contents page: build/help-contents.png"

if grep -q '^FAIL' <<<"$report"; then exit 1; fi
echo "All ${#pages[@]} help pages load and every picture decodes."
