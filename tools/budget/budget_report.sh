#!/usr/bin/env bash
# Turns one budget run's records (steps.tsv, samples.tsv in RUN_DIR) into the markdown
# figures: CPU per minute, memory, the object counts after every step, the targets.
# Usage: tools/budget/budget_report.sh RUN_DIR
set -euo pipefail
run="$1"
tck="$(getconf CLK_TCK)"

# steps.tsv: kind ok open_ms close_ms, the Linux sample before the step (12 fields),
# the one after it (12 fields), the probe's lines joined by "|".
# A sample: ms load widget_ticks widget_rss_kb widget_threads minimal_ticks
# minimal_rss_kb minimal_threads server_ticks floor_ticks widget_private_kb
# minimal_private_kb.
awk -F'\t' -v tck="$tck" '
function kv(line, key,   n, i, parts, pair) {
    n = split(line, parts, " ")
    for (i = 1; i <= n; i++) { split(parts[i], pair, "="); if (pair[1] == key) return substr(parts[i], length(key) + 2) }
    return "?"
}
function mb(kb) { return sprintf("%.1f", kb / 1024) }
function perMin(ticks, ms) { return ms > 0 ? ticks / tck / (ms / 60000) : 0 }
FNR == NR {  # samples.tsv
    if ($4 > wMax) wMax = $4
    if ($7 > mMax) mMax = $7
    if ($4 - $7 > dMax) dMax = $4 - $7
    if ($11 > wpMax) wpMax = $11
    if ($12 > mpMax) mpMax = $12
    if ($11 - $12 > dpMax) dpMax = $11 - $12
    next
}
{
    n++
    kind[n] = $1; ok[n] = $2; openMs[n] = $3; closeMs[n] = $4
    for (i = 0; i < 12; i++) { before[n, i] = $(5 + i); after[n, i] = $(17 + i) }
    split($29, lines, "|")
    for (j in lines) {
        if (lines[j] ~ /^process=desk_widget/) w[n] = lines[j]
        if (lines[j] ~ /^process=minimal_window/) m[n] = lines[j]
    }
    if (kind[n] == "panel") np++
    if (kind[n] == "lock") nl++
    label[n] = kind[n] == "panel" ? "after panel " np : kind[n] == "lock" ? "after lock " nl : kind[n]
}
END {
    # CPU: the whole run, and the idle stretches between the steps (the steps, with
    # the probe runs that follow them, left out).
    runMs = after[n, 0] - after[1, 0]
    wAll = perMin(after[n, 2] - after[1, 2], runMs)
    mAll = perMin(after[n, 5] - after[1, 5], runMs)
    sAll = perMin(after[n, 8] - after[1, 8], runMs)
    for (k = 2; k <= n; k++) {
        idleMs += before[k, 0] - after[k - 1, 0]
        wIdle += before[k, 2] - after[k - 1, 2]
        mIdle += before[k, 5] - after[k - 1, 5]
        sIdle += before[k, 8] - after[k - 1, 8]
        fIdle += before[k, 9] - after[k - 1, 9]
    }
    wI = perMin(wIdle, idleMs); mI = perMin(mIdle, idleMs); sI = perMin(sIdle, idleMs); fI = perMin(fIdle, idleMs)
    fAll = perMin(after[n, 9] - after[1, 9], runMs)
    ratio = mI > 0 ? wI / mI : 0
    printf "## CPU time (seconds of CPU per minute of wall time, user + system, all threads)\n\n"
    printf "| stretch | widget | minimal window | ratio | floor window | floor ratio | wineserver (shared by all) |\n|---|---|---|---|---|---|---|\n"
    printf "| idle, breathing (%.1f of %.1f min) | %.3f | %.3f | %.2f | %.3f | %.2f | %.3f |\n", idleMs / 60000, runMs / 60000, wI, mI, ratio, fI, (mI > 0 ? fI / mI : 0), sI
    printf "| whole run, with the 23 steps and probes | %.3f | %.3f | %.2f | %.3f | %.2f | %.3f |\n\n", wAll, mAll, (mAll > 0 ? wAll / mAll : 0), fAll, (mAll > 0 ? fAll / mAll : 0), sAll
    printf "The ratios are against the minimal window. The floor window (tools/budget/floor_window.cpp) does only the least the idle icon must do: it lets queued messages run on every tick, reads the pointer and its rectangle every 40 ms, and every 120 ms reads the next frame file and repaints a bitmap prepared once (no decoding, no shape).\n\n"
    cpuOk = wI <= 1.5 * mI

    printf "## Memory\n\n"
    printf "Resident set (VmRSS), and in brackets the part of it that is the process'"'"'s own (anonymous and shared-memory pages, RssAnon + RssShmem); the rest are pages of files, such as libraries and fonts, that other processes map too.\n\n"
    printf "| | widget | minimal window | difference |\n|---|---|---|---|\n"
    printf "| start | %s (%s) MB | %s (%s) MB | %s (%s) MB |\n", mb(after[1, 3]), mb(after[1, 10]), mb(after[1, 6]), mb(after[1, 11]), mb(after[1, 3] - after[1, 6]), mb(after[1, 10] - after[1, 11])
    printf "| end | %s (%s) MB | %s (%s) MB | %s (%s) MB |\n", mb(after[n, 3]), mb(after[n, 10]), mb(after[n, 6]), mb(after[n, 11]), mb(after[n, 3] - after[n, 6]), mb(after[n, 10] - after[n, 11])
    printf "| highest sample | %s (%s) MB | %s (%s) MB | %s (%s) MB |\n\n", mb(wMax), mb(wpMax), mb(mMax), mb(mpMax), mb(dMax), mb(dpMax)
    memOk = after[n, 3] - after[n, 6] <= 8 * 1024
    privOk = after[n, 10] - after[n, 11] <= 8 * 1024

    printf "## Object counts of the widget after every step\n\n"
    printf "GDI objects, windows (USER objects that can be counted from outside), kernel handles, threads as Windows lists them (Linux threads in brackets), working set. The minimal window for comparison in the last columns.\n\n"
    printf "| moment | ok | open / close ms | GDI | windows | handles | threads | working set | minimal: GDI / windows / handles / threads | GDI by type |\n"
    printf "|---|---|---|---|---|---|---|---|---|---|\n"
    split("gdi user_windows handles threads", keys, " ")
    for (k = 1; k <= n; k++) {
        printf "| %s | %s | %s / %s | %s | %s | %s | %s (%s) | %s MB | %s / %s / %s / %s | %s |\n", label[k], ok[k] ? "yes" : "NO",
            openMs[k], closeMs[k], kv(w[k], "gdi"), kv(w[k], "user_windows"), kv(w[k], "handles"), kv(w[k], "threads"),
            after[k, 4], mb(kv(w[k], "working_set_kb")), kv(m[k], "gdi"), kv(m[k], "user_windows"), kv(m[k], "handles"),
            kv(m[k], "threads"), kv(w[k], "gdi_types")
        for (q = 1; q <= 4; q++) {
            v = kv(w[k], keys[q])
            if (v != kv(w[1], keys[q])) { off[q]++; if (offAt[q] == "") offAt[q] = "first at " label[k] ": " v }
            # A step that leaves a count higher than it found it: once at the first use
            # of something is a lasting allocation, again on later steps of its kind a leak.
            if (k > 1 && v != kv(w[k - 1], keys[q])) { rise[q]++; riseAt[q] = riseAt[q] (riseAt[q] == "" ? "" : ", ") label[k] " " kv(w[k - 1], keys[q]) " -> " v }
        }
        if (!ok[k]) failed++
    }
    printf "\n## Targets\n\n"
    printf "- CPU, idle: widget %.3f s/min against 1.5 x %.3f = %.3f s/min: **%s**", wI, mI, 1.5 * mI, cpuOk ? "holds" : "missed"
    printf " (the floor window: %.3f s/min, %.2f x the minimal window; the widget is %.2f x the floor)\n", fI, (mI > 0 ? fI / mI : 0), (fI > 0 ? wI / fI : 0)
    printf "- Memory at the end: widget %s MB above the minimal window (limit 8 MB): **%s**; its own memory %s MB above: **%s**\n", mb(after[n, 3] - after[n, 6]), memOk ? "holds" : "missed", mb(after[n, 10] - after[n, 11]), privOk ? "holds" : "missed"
    names[1] = "GDI objects"; names[2] = "windows"; names[3] = "kernel handles"; names[4] = "threads"
    for (q = 1; q <= 4; q++) {
        printf "- %s back to the start value (%s) after every step: **%s**", names[q], kv(w[1], keys[q]), off[q] ? "no" : "yes"
        if (off[q]) printf " (%d of %d records differ; %s)", off[q], n - 1, offAt[q]
        printf "; steps that changed it: %s", rise[q] ? riseAt[q] : "none"
        printf "\n"
    }
    if (failed) printf "- %d step(s) did not complete (see the run log)\n", failed
}' "$run/samples.tsv" "$run/steps.tsv"

cat <<'NOTES'

## What is measured, and how real it is under Wine

- CPU time and resident memory come from Linux (`/proc/PID/stat` utime + stime, `/proc/PID/status` VmRSS/Threads) of the Wine processes: real figures for the process, but a Wine process also carries Wine's own work (its half of every server call, the X11 driver). The wineserver serves all of them and is shown apart; it cannot be split between them.
- Idle CPU is summed over the stretches between the steps; each step, with the probe run after it, is left out. The idle samples themselves are a few reads of `/proc` every 10 seconds, the same for both.
- GDI objects: Wine answers 0 to `GetGuiResources`; the probe reads the process's GDI handle table out of its memory (the table the process environment block points at), which holds every live GDI object including the stock ones. Exact.
- Windows: every top-level, child and message-only window of the process (`EnumWindows`, `EnumChildWindows`, `FindWindowEx(HWND_MESSAGE)`). Menus, cursors, icons and hooks, the other USER objects, cannot be seen from another process under Wine and are not counted.
- Kernel handles: Wine answers 0 to `GetProcessHandleCount` for another process; the probe counts the process's entries in the system handle list (`NtQuerySystemInformation`, class 16), which the wineserver keeps. Exact for Wine's handles; Linux file descriptors are not in it.
- Threads: the Tool Help snapshot (Wine's server list, the threads the program and Wine's DLLs created); Linux's count in brackets. Working set: `GetProcessMemoryInfo`, which Wine fills from Linux's VmRSS; private bytes are not reported by Wine (0).
- Before the run the probe is checked against the minimal window holding 25 extra brushes, windows, menus and events: it must count exactly 25 more GDI objects, windows and handles (menus are the part it cannot see).
- Reading the counts: Wine keeps some objects for the rest of a process after their first use, which `tools/budget/wine_keeps.cpp` shows in a process of its own: its DC cache (a DC, a region and a bitmap per entry, up to 64 entries, never given back), two threads and one window at the first use of waveOut (the lock's music), and a few system brushes at the first dialog (the password box). A count that rises once at the first panel or the first lock and then stays is that; a count that rises again on later steps of the same kind would be a leak.
- Close times include a Wine artefact: hiding a window that Wine hands to a window manager waits up to 2 s for the manager's answer, and the virtual display has none. The panel's fade-out itself takes about 0.65 s; its window then stays mapped, invisible, for those 2 s, and the GUI thread waits meanwhile.
- The steps: xdotool moves the pointer onto the docked icon and polls for the panel's window (435 x 265) to appear, rests on it 1.6 s while it fades in, moves away and polls until it is gone; a lock is 测试 from the icon's right-click menu (keyboard), a left click on the lock (it then stops raising itself; see the note in budget_lib.sh), 紧急解锁 from its right-click menu, the password typed into the box and Enter, then polling until the lock window is gone and the icon is back. Open / close ms are those polls' times, so they include up to 0.1 s of polling and the X round trips.
NOTES
