#!/usr/bin/python3
"""Counts the outcome of one ctest run from its JUnit report.

    count-results.py CTEST_JUNIT RESULTS_DIR

Prints "PASSED FAILED SKIPPED" on one line. A ctest entry that left a
GoogleTest report RESULTS_DIR/NAME.xml counts its test cases (the Windows test
binaries run many cases under one entry); a failed entry whose report shows no
failed case counts one failure more. Any other entry counts as one: passed,
failed, or skipped (disabled, or skipped by its own choice). An entry that
could not run (a failed fixture, a missing program) is a failure. Notes on what
was not counted plainly go to standard error. Exits 1 when the ctest report
cannot be read.
"""
import os
import sys
import xml.etree.ElementTree as ET


def note(text):
    print(f"count-results.py: {text}", file=sys.stderr)


def gtest_cases(report):
    """(passed, failed, skipped) of the test cases in a GoogleTest XML report."""
    passed = failed = skipped = 0
    for case in ET.parse(report).getroot().iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.get("status") == "notrun" or case.get("result") in ("skipped", "suppressed"):
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def count(junit, results):
    passed = failed = skipped = 0
    for entry in ET.parse(junit).getroot().iter("testcase"):
        name = entry.get("name", "")
        status = entry.get("status", "")
        if status == "disabled":
            skipped += 1
            continue
        if status == "notrun":
            why = entry.find("skipped")
            reason = why.get("message", "") if why is not None else ""
            # SKIP_RETURN_CODE and SKIP_REGULAR_EXPRESSION: the test chose to skip.
            if reason.startswith("SKIP_"):
                skipped += 1
            else:
                note(f"{name} did not run ({reason or 'no reason given'}); counted as failed")
                failed += 1
            continue
        entry_failed = status != "run"
        report = os.path.join(results, name + ".xml")
        if os.path.isfile(report):
            try:
                p, f, s = gtest_cases(report)
            except (ET.ParseError, OSError) as error:
                note(f"the report of {name} cannot be read ({error}); counted as one failure")
                failed += 1
                continue
            if entry_failed and f == 0:
                f = 1
            passed, failed, skipped = passed + p, failed + f, skipped + s
        elif entry_failed:
            failed += 1
        else:
            passed += 1
    return passed, failed, skipped


def main():
    if len(sys.argv) != 3:
        print("usage: count-results.py CTEST_JUNIT RESULTS_DIR", file=sys.stderr)
        return 2
    try:
        passed, failed, skipped = count(sys.argv[1], sys.argv[2])
    except (ET.ParseError, OSError) as error:
        note(f"cannot read ctest's report {sys.argv[1]}: {error}")
        return 1
    print(passed, failed, skipped)
    return 0


if __name__ == "__main__":
    sys.exit(main())
