#!/usr/bin/env bash
# Creates or updates the project's Wine prefix: Chinese font replacements, no
# crash dialog, no desktop menu entries, and optionally drives D:/E: for demos.
# Usage: scripts/wine_prefix.sh PREFIX_DIR [DEMO_DIR]
# Idempotent: a stamp in the prefix skips the Wine work when nothing changed.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 PREFIX_DIR [DEMO_DIR]" >&2
  exit 2
fi
mkdir -p "$1"
prefix="$(cd "$1" && pwd)"
demo=""
if [ $# -eq 2 ]; then
  mkdir -p "$2"
  demo="$(cd "$2" && pwd)"
fi

export WINEPREFIX="$prefix" WINEDEBUG=-all
# NOTE: mono/gecko are not packaged in Debian; without this wineboot tries to
# offer their download in a dialog and waits on it.
export WINEDLLOVERRIDES="mscoree,mshtml="
log="$prefix/widget-setup.log"
stamp="$prefix/.widget-prefix-stamp"

say() { printf 'wine-prefix: %s\n' "$*"; }
fail() {
  say "error: $*" >&2
  [ -f "$log" ] && tail -n 20 "$log" >&2
  exit 1
}

# First fontconfig family whose name starts with one of the given names.
font_family() {
  local want fam
  for want in "$@"; do
    fam="$(fc-list : family | tr ',' '\n' | grep -m1 -x "$want.*" || true)"
    [ -n "$fam" ] && { printf '%s\n' "$fam"; return 0; }
  done
  return 1
}

kai="$(font_family "AR PL UKai CN" "AR PL UKai")" || fail "AR PL UKai not installed (fonts-arphic-ukai)"
song="$(font_family "AR PL UMing CN" "AR PL UMing" "WenQuanYi Micro Hei")" ||
  fail "neither AR PL UMing nor WenQuanYi Micro Hei is installed"

# Everything the prefix should hold, as one registry file. Empty DllOverrides
# value = "disabled": winemenubuilder would otherwise write .desktop files and
# menu entries into the user's real home.
reg_text="Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
\"楷体\"=\"$kai\"
\"KaiTi\"=\"$kai\"
\"宋体\"=\"$song\"
\"SimSun\"=\"$song\"
\"新宋体\"=\"$song\"
\"NSimSun\"=\"$song\"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
\"ShowCrashDialog\"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]
\"winemenubuilder.exe\"=\"\"
"

want_stamp="$(printf '%s\n%s\n' "$(wine --version 2>/dev/null)" "$reg_text" | sha256sum | cut -d' ' -f1)"

if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$want_stamp" ] || [ ! -f "$prefix/user.reg" ]; then
  : >"$log"
  if [ ! -f "$prefix/system.reg" ]; then
    # The widget is a 32-bit program: a 32-bit prefix is the simplest match and
    # the only kind a wine32-only install can create. A 64-bit-only Wine picks
    # its own default.
    [ -x /usr/lib/wine/wine ] && export WINEARCH=win32
  fi
  wineboot -i >>"$log" 2>&1 || fail "wineboot failed"
  wineserver -w

  # NOTE: regedit reads UTF-16LE with a BOM (Unicode .reg); written that way the
  # Chinese value names do not depend on the caller's locale or code page.
  regfile="$prefix/widget-settings.reg"
  { printf '\xff\xfe'; printf '%s' "$reg_text" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$regfile"
  wine regedit /S "$(winepath -w "$regfile" 2>/dev/null)" >>"$log" 2>&1 || fail "regedit failed"
  wineserver -w

  # Read the values back: regedit /S reports nothing when it skips a file.
  # NOTE: reg export, not reg query: query prints in the ANSI code page of the
  # caller's locale (Chinese turns into "?" under C.UTF-8); the export is UTF-16.
  wine reg export 'HKCU\Software\Wine\Fonts\Replacements' "$(winepath -w "$prefix/readback.reg" 2>/dev/null)" /y \
    >>"$log" 2>&1 || fail "reg export failed"
  wineserver -w
  got="$(iconv -f UTF-16 -t UTF-8 "$prefix/readback.reg" | tr -d '\r' | grep '^"' | sort)"
  expected="$(printf '%s\n' "$reg_text" | sed -n '/Replacements\]/,/^$/p' | grep '^"' | sort)"
  rm -f "$prefix/readback.reg"
  [ "$got" = "$expected" ] || fail "font replacements did not reach the registry; read back: $got"
  echo "$want_stamp" >"$stamp"
  say "prefix ready in $prefix (楷体/KaiTi -> $kai, 宋体/SimSun/新宋体/NSimSun -> $song)"
fi

if [ -n "$demo" ]; then
  mkdir -p "$demo/d/Vantrel/壁纸" "$demo/e/CloudMusic"
  ln -sfn "$demo/d" "$prefix/dosdevices/d:"
  ln -sfn "$demo/e" "$prefix/dosdevices/e:"
fi
