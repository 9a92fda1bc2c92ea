#!/usr/bin/env python3
"""test-summary.py LABEL=JUNIT.xml... — the closing summary of scripts/test.sh over the
CTest runs' JUnit reports: the totals of each run, then every skipped test by name with
the reason its output gave (a line "skipped: ..."), then every failed test by name. Only
a test that skipped itself (CTest's SKIP_RETURN_CODE) counts as skipped; one that could
not run counts as failed, and so does a report that is missing."""
import sys
import xml.etree.ElementTree as ElementTree


def reason(case):
    out = case.findtext("system-out") or ""
    for line in out.splitlines():
        text = line.strip()
        if text.lower().startswith("skipped:"):
            return text.split(":", 1)[1].strip()
    return ""


def main():
    skipped, failed = [], []
    print("== summary")
    for argument in sys.argv[1:]:
        label, _, path = argument.partition("=")
        try:
            suite = ElementTree.parse(path).getroot()
        except (OSError, ElementTree.ParseError) as error:
            print(f"{label}: no report ({error})")
            failed.append((label, "(the run did not report)"))
            continue
        counts = {"run": 0, "fail": 0, "notrun": 0}
        for case in suite.iter("testcase"):
            status = case.get("status", "run")
            name = case.get("name")
            marker = case.find("skipped")
            note = marker.get("message", "") if marker is not None else ""
            if status == "notrun" and note.startswith("SKIP_"):
                counts["notrun"] += 1
                skipped.append((label, name, reason(case)))
            elif status != "run":
                # Failed, timed out, or not run for want of its program: all failures.
                counts["fail"] += 1
                failed.append((label, name + (f" ({note})" if note else "")))
            else:
                counts["run"] += 1
        print(f"{label}: {counts['run']} passed, {counts['fail']} failed, {counts['notrun']} skipped")
    for label, name, why in skipped:
        print(f"skipped: {label} {name}" + (f" ({why})" if why else ""))
    for label, name in failed:
        print(f"FAILED: {label} {name}")


if __name__ == "__main__":
    main()
