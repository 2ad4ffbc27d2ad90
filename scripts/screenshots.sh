#!/usr/bin/env bash
# screenshots.sh [output-dir]
# Pictures of every window of the tray program in English, Czech and Slovak, as PNG files in
# output-dir (default docs/screenshots): the cross-built showcase.exe runs the real program
# under Wine on a virtual display and saves each window as a BMP file; they are converted
# here and each is checked to exist and to show text. Then every window again at 150 and
# 200 % display scale (144 and 192 dots per inch) in English and Czech, into its scaled/
# folder as NAME-LANGUAGE-DPI.png. Installs what it needs when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-docs/screenshots}")

# The scenes of tools/showcase.cpp: the windows it pictures in every language, and
# the fixed English message boxes it pictures in the English run only.
per_language=(main editor confirm reminder obsolete about menu import)
english_only=(box-already-running box-not-installed box-no-data-file box-cannot-create box-corrupt box-save-failed)

# The scales pictured besides 100 %, and their languages (0 English, 1 Czech).
scaled_dpis=(144 192)
scaled_languages=(0 1)

# The date the program sees: the same pictures on any day. A Wednesday, with no note due.
when='2026-04-15 10:00:00'

bash scripts/install-windows-tools.sh
# fonts-wine: Wine's own fonts, among them MS Sans Serif (the dialogs' font), Tahoma (the
# message boxes') and Marlett (the title bar buttons). locales: the sources that localedef
# builds the Czech code page's locale from. python3: the PNG conversion and the checks.
bash scripts/install-missing.sh fonts-wine locales python3

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j "$(nproc)" --target showcase
showcase=$(realpath build/win/tools/showcase.exe)

source scripts/wine-env.sh
trap wine_cleanup EXIT
trap 'exit 130' INT TERM HUP
export TOLVEK_XVFB_SCREEN=2560x1600x24  # room for the main window at 200 %
start_display
make_prefix "$prefix"
# This Wine finds no fonts of its own unless they are in the prefix's Fonts folder.
cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"

# An English Windows whose language for non-Unicode programs is Czech: English system
# texts (the message boxes' buttons), and MS Sans Serif in its Central European version,
# which has the letters of Czech and Slovak; the Western one lacks "ř", "ť" and "Č".
mkdir -p "$work/locale"
localedef -i cs_CZ -f UTF-8 "$work/locale/cs_CZ.UTF-8"
localedef -i en_US -f UTF-8 "$work/locale/en_US.UTF-8"
mkdir -p "$work/bmp" "$output"
showcase_run() {  # LANGUAGE FOLDER: the pictures of one language into $work/FOLDER
    mkdir -p "$work/$2"
    if ! env -u LC_ALL LOCPATH="$work/locale" LANG=en_US.UTF-8 LC_MESSAGES=en_US.UTF-8 LC_CTYPE=cs_CZ.UTF-8 \
        WINEPREFIX="$prefix" timeout 90 faketime "$when" "$wine" "$showcase" "Z:${work//\//\\}\\$2" "$1" \
        >"$work/showcase-$1.log" 2>&1; then
        cat "$work/showcase-$1.log" >&2
        echo "screenshots: showcase.exe failed for language $1 into $2" >&2
        exit 1
    fi
    tr -d '\r' <"$work/showcase-$1.log"
    stop_wine "$prefix"  # the next run's server starts at the faked date again
}
for language in 0 1 2; do showcase_run "$language" bmp; done
# Wine takes the scale from the registry when a program starts.
for dpi in "${scaled_dpis[@]}"; do
    TOLVEK_WINE_DPI=$dpi set_prefix_dpi "$prefix"
    for language in "${scaled_languages[@]}"; do showcase_run "$language" "bmp-$dpi"; done
    for picture in "$work/bmp-$dpi"/*.bmp; do mv "$picture" "${picture%.bmp}-$dpi.bmp"; done
done

expected=()
for language in en cs sk; do
    for name in "${per_language[@]}"; do expected+=("$name-$language"); done
done
for name in "${english_only[@]}"; do expected+=("$name-en"); done

convert() {  # SOURCE OUTPUT DPI NAME...
python3 - "$@" <<'PY'
# BMP to PNG with the standard library alone, and a check that each picture shows a
# window with text: not one flat colour, and with dark marks of glyph size inside it.
import pathlib, struct, sys, zlib

source, output, names = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]), sys.argv[4:]
scale = int(sys.argv[3]) / 96  # glyphs and title bars grow with the display scale
output.mkdir(parents=True, exist_ok=True)

def read_bmp(path):
    data = path.read_bytes()
    if data[:2] != b"BM":
        raise ValueError("not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0 or width <= 0 or height <= 0:
        raise ValueError("not a bottom-up 24-bit BMP")
    stride = (width * 3 + 3) // 4 * 4
    if len(data) < offset + stride * height:
        raise ValueError("cut short")
    rows = []
    for y in range(height):
        start = offset + stride * (height - 1 - y)
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return width, height, rows

def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    pixels = zlib.compress(b"".join(b"\0" + row for row in rows), 9)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", pixels) + chunk(b"IEND", b""))

def glyph_pixels(width, height, rows):
    # Dark pixels below the title bar and inside the frame that form upright strokes of
    # letter size: at most 2 pixels wide and 4 to 12 high. Frames and edges of controls
    # are longer lines, and focus rectangles are dots. A window drawn with invisible text
    # (white text colours) gave at most 9 of them; the real pictures 150 and more.
    top, margin = round(24 * scale), 4
    dark = [[max(row[3 * x:3 * x + 3]) < 100 for x in range(width)] for row in rows]
    def run_lengths(line):  # for each pixel, the length of the dark run it is in
        lengths, start = [0] * len(line), None
        for i, is_dark in enumerate(line + [False]):
            if is_dark and start is None:
                start = i
            elif not is_dark and start is not None:
                lengths[start:i] = [i - start] * (i - start)
                start = None
        return lengths
    across = [run_lengths(line) for line in dark]
    down = list(zip(*[run_lengths(list(column)) for column in zip(*dark)]))
    return sum(1 for y in range(top, height - margin) for x in range(margin, width - margin)
               if dark[y][x] and across[y][x] <= round(2 * scale) and round(4 * scale) <= down[y][x] <= round(12 * scale))

failures = 0
for name in names:
    bmp = source / (name + ".bmp")
    problem = None
    if not bmp.exists():
        problem = "missing"
    else:
        try:
            width, height, rows = read_bmp(bmp)
        except ValueError as error:
            problem = str(error)
    if problem is None:
        colours = len({row[i:i + 3] for row in rows for i in range(0, len(row), 3)})
        glyphs = glyph_pixels(width, height, rows)
        if width < 100 or height < 50:
            problem = f"only {width}x{height} pixels"
        elif colours <= 2:  # a menu has 3: its face, its text and its lines
            problem = f"only {colours} colours"
        elif glyphs < 60:
            problem = f"no text to be seen ({glyphs} glyph pixels)"
    if problem:
        print(f"screenshots: {name}: {problem}", file=sys.stderr)
        failures += 1
        continue
    write_png(output / (name + ".png"), width, height, rows)
    print(f"{name}.png  {width}x{height}, {colours} colours, {glyphs} glyph pixels")
if failures:
    sys.exit(f"screenshots: {failures} of {len(names)} pictures failed")
print(f"screenshots: {len(names)} pictures in {output}")
PY
}
convert "$work/bmp" "$output" 96 "${expected[@]}"
for dpi in "${scaled_dpis[@]}"; do
    scaled=()
    for language in "${scaled_languages[@]}"; do
        suffix=$(case $language in 0) echo en;; 1) echo cs;; 2) echo sk;; esac)
        for name in "${per_language[@]}"; do scaled+=("$name-$suffix-$dpi"); done
        if [ "$language" = 0 ]; then for name in "${english_only[@]}"; do scaled+=("$name-en-$dpi"); done; fi
    done
    convert "$work/bmp-$dpi" "$output/scaled" "$dpi" "${scaled[@]}"
done
