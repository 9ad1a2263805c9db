"""Prints the plain "N passed, N failed" line from GoogleTest's XML reports and CTest's own.

A test program that crashed or ran out of time leaves no (or an incomplete) GoogleTest report;
CTest's report still names it as failed, so it counts as one failure of its own.
"""
import pathlib
import sys
import xml.etree.ElementTree as ET

results = pathlib.Path(sys.argv[1])
passed = failed = skipped = 0
failed_programs_with_cases = set()
for report in sorted(results.glob("*.xml")):
    if report.name == "ctest.xml":
        continue
    try:
        root = ET.parse(report).getroot()
    except ET.ParseError:
        continue
    for case in root.iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
            failed_programs_with_cases.add(report.stem)
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        elif case.get("status", "run") == "run":
            passed += 1

ctest_report = results / "ctest.xml"
if ctest_report.exists():
    for case in ET.parse(ctest_report).getroot().iter("testcase"):
        if case.get("status") == "fail" or case.find("failure") is not None:
            if case.get("name") not in failed_programs_with_cases:
                failed += 1
else:
    failed += 1

line = f"{passed} passed, {failed} failed"
if skipped:
    line += f", {skipped} skipped"
print(line)
sys.exit(1 if failed else 0)
