#!/usr/bin/env bash
# Makes the release artefacts from a Windows build's program folder:
#   OUT/Tallyra-VERSION/               the portable folder
#   OUT/Tallyra-VERSION-portable.zip   that folder as a zip
#   OUT/Tallyra-VERSION-setup.exe      the installer (installer/tallyra.nsi)
# Usage: installer/package.sh APP_DIR OUT_DIR VERSION
# APP_DIR holds Tallyra.exe, Kolo_Reg.dll and help/ as the build leaves them. Earlier artefacts
# of the same version in OUT_DIR are replaced. Every file gets the time SOURCE_DATE_EPOCH
# (default: the time of the last commit), so the same build gives the same bytes.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 APP_DIR OUT_DIR VERSION" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
app=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$3
name="Tallyra-$version"
stage="$out/$name"
zip_file="$out/$name-portable.zip"
setup="$out/$name-setup.exe"

for f in Tallyra.exe Kolo_Reg.dll help/index.html; do
  [ -f "$app/$f" ] || { echo "$app/$f is missing: build the Windows tree first" >&2; exit 1; }
done
command -v makensis >/dev/null || { echo "makensis is missing: run scripts/deps" >&2; exit 1; }

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null ||
    stat -c %Y "$root/CMakeLists.txt")
fi
export SOURCE_DATE_EPOCH
url=$(sed -n 's/^TLY_STRING(kWebPageAddress, 1000, "\(.*\)")$/\1/p' "$root/resources/strings.inc")
[ -n "$url" ] || { echo "no web address (string 1000) in resources/strings.inc" >&2; exit 1; }

# Text for Windows: CRLF line ends; the Japanese text also gets a byte order mark, so that every
# editor reads it as UTF-8.
crlf() { sed 's/\r$//; s/$/\r/' "$@"; }

rm -rf "$stage" "$zip_file" "$setup"
mkdir -p "$stage/help"
cp "$app/Tallyra.exe" "$app/Kolo_Reg.dll" "$stage/"
cp "$app"/help/* "$stage/help/"
crlf "$root/LICENSE" > "$stage/LICENSE.txt"
{
  printf '\xef\xbb\xbf'
  sed "s|@VERSION@|$version|; s|@URL@|$url|" "$root/installer/readme-ja.txt" | crlf
} > "$stage/読んでください.txt"
find "$stage" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# The zip: entries in name order, fixed times and modes, names flagged as UTF-8 (Explorer shows
# the Japanese name only then).
python3 - "$out" "$name" "$zip_file" <<'EOF'
import os, sys, time, zipfile
out, name, target = sys.argv[1:]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
paths = []
for top, dirs, files in os.walk(os.path.join(out, name)):
    rel = os.path.relpath(top, out)
    paths.append(rel + "/")
    paths += [os.path.join(rel, f) for f in files]
with zipfile.ZipFile(target + ".part", "w") as z:
    for path in sorted(paths):
        info = zipfile.ZipInfo(path, stamp)
        # Unix modes above the MS-DOS attributes, as Info-ZIP writes them; unzip honours the
        # UTF-8 flag only for entries made on Unix.
        info.create_system = 3
        if path.endswith("/"):
            info.external_attr = 0o40755 << 16 | 0x10
            z.writestr(info, b"")
        else:
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(out, path), "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
os.replace(target + ".part", target)
EOF

makensis -INPUTCHARSET UTF8 -NOCD -V2 -WX \
  "-DVERSION=$version" "-DSOURCE=$stage" "-DICON=$root/resources/tallyra.ico" "-DURL=$url" \
  "-DOUTFILE=$setup.part" "$root/installer/tallyra.nsi" >&2
mv "$setup.part" "$setup"
