#!/usr/bin/env python3
"""End-to-end tests: the real widget under Wine on a virtual display, driven with the real
pointer and keyboard, checked by what a person would see (window positions, pixels of
the screen, dialogs, programs started, sound played). One function per scenario; each
starts the widget afresh. Failure screenshots go to build/e2e-failures/.
Usage: run_e2e.py [--only NAME ...] [--repeat N] [--docs]"""

import argparse
import os
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import scenarios_lock_shutdown  # noqa: E402
import scenarios_panel  # noqa: E402
import scenarios_sound  # noqa: E402
import xdesk  # noqa: E402

SCENARIOS = scenarios_panel.SCENARIOS + scenarios_lock_shutdown.SCENARIOS + scenarios_sound.SCENARIOS
FAILURES = xdesk.BUILD / "e2e-failures"


def log(message):
    print(f"e2e: {message}", flush=True)


def run_suite(names, run_no, docs):
    """One run: a fresh display; every scenario with a fresh wineserver and widget.
    Returns the names of the scenarios that failed."""
    failed = []
    desk = xdesk.Desk(log)
    desk.docs = xdesk.ROOT / "docs" if docs else None
    try:
        desk.start_display()
        for name, fn, sound in SCENARIOS:
            if names and name not in names:
                continue
            started = time.monotonic()
            try:
                desk.start_widget(sound=sound)
                fn(desk)
                log(f"PASS {name} ({time.monotonic() - started:.1f}s)")
            except Exception as e:  # noqa: BLE001 - every failure is reported, the run goes on
                shot = FAILURES / f"run{run_no}-{name}.png"
                try:
                    desk.screenshot(shot)
                except Exception:  # noqa: BLE001
                    shot = "(no screenshot)"
                detail = str(e) if isinstance(e, xdesk.Failure) else traceback.format_exc()
                if desk.widget and desk.widget.poll() is not None:
                    detail += f" (the widget had ended, exit code {desk.widget.returncode})"
                log(f"FAIL {name} ({time.monotonic() - started:.1f}s): {detail}  screenshot: {shot}")
                failed.append(name)
            finally:
                desk.stop_widget()
    finally:
        desk.close()
    return failed


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--only", nargs="*", default=[], help="scenario names")
    ap.add_argument("--repeat", type=int, default=1, help="runs in a row")
    ap.add_argument("--docs", action="store_true", help="save the README screenshots under docs/")
    ap.add_argument("--list", action="store_true")
    args = ap.parse_args()
    if args.list:
        print("\n".join(name for name, _, _ in SCENARIOS))
        return 0
    unknown = set(args.only) - {name for name, _, _ in SCENARIOS}
    if unknown:
        log(f"unknown scenarios: {sorted(unknown)}")
        return 2
    if os.environ.get("WIDGET_SKIP_WINE") == "1":
        log("skipped: WIDGET_SKIP_WINE=1")
        return 0
    if not xdesk.WIDGET_EXE.exists():
        log(f"{xdesk.WIDGET_EXE} not found: build the windows preset first")
        return 1
    xdesk.prepare_prefix(log)
    results = []
    for run_no in range(1, args.repeat + 1):
        started = time.monotonic()
        failed = run_suite(args.only, run_no, args.docs)
        took = time.monotonic() - started
        results.append((failed, took))
        log(f"run {run_no}: {'passed' if not failed else 'FAILED: ' + ', '.join(failed)} in {took:.0f}s")
    bad = sum(1 for failed, _ in results if failed)
    total = sum(took for _, took in results)
    log(f"{len(results) - bad} of {len(results)} runs passed; {total:.0f}s in all, "
        f"{total / len(results):.0f}s a run")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
