#!/usr/bin/env python3
"""Checks the larkspur command line as a user meets it: help texts, exit codes, bad scene files
and the written-back scene.

usage: check_cli.py LARKSPUR [EMULATOR...]
"""
import json
import pathlib
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
GOOD_SCENE = HERE / "duplicates.scene.json"


def run(command, *args):
    result = subprocess.run(command + list(args), capture_output=True, timeout=120)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    command = sys.argv[2:] + [sys.argv[1]]
    checks = []

    def check(name, condition, detail=""):
        checks.append((name, bool(condition), detail))

    code, out, _ = run(command, "--help")
    check("--help exits 0 and lists the package command", code == 0 and "package" in out, out)
    code, _, err = run(command)
    check("no command is a usage error", code == 2 and "usage" in err, err)
    code, _, err = run(command, "bogus")
    check("an unknown command is a usage error", code == 2 and "bogus" in err, err)
    code, out, _ = run(command, "package", "--help")
    check("package --help explains --scene-out", code == 0 and "--scene-out" in out, out)
    code, _, err = run(command, "package", str(GOOD_SCENE))
    check("package without PACKAGE is a usage error", code == 2, err)

    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        bad = tmp / "bad.scene.json"
        scene = json.loads(GOOD_SCENE.read_text(encoding="utf-8"))
        scene["nodes"][1]["materail"] = "mtl"
        bad.write_text(json.dumps(scene), encoding="utf-8")
        package = tmp / "bad" / "1.json"
        package.parent.mkdir()
        code, out, err = run(command, "package", str(bad), str(package), "--scene-out",
                             str(tmp / "bad-out.json"))
        check("a bad scene file exits 2 and names the key and its place",
              code == 2 and "materail" in err and "nodes[1]" in err, err)
        check("a bad scene file writes nothing",
              not any(package.parent.iterdir()) and not (tmp / "bad-out.json").exists())

        code, _, err = run(command, "package", str(tmp / "missing.scene.json"), str(package))
        check("a missing scene file exits 2", code == 2 and err.strip() != "", err)

        code, out, _ = run(command, "package", str(GOOD_SCENE), str(tmp / "nowhere" / "1.json"))
        check("an unwritable package exits 1 and says ok: false",
              code == 1 and "ok: false" in out and "objects: 0" in out, out)

        after = tmp / "after.scene.json"
        code, out, err = run(command, "package", str(GOOD_SCENE), str(tmp / "1.json"),
                             "--scene-out", str(after))
        check("package prints ok, objects and log lines",
              code == 0 and out == "ok: true\nobjects: 3\nlog lines: 5\n", out + err)
        names = []
        if after.exists():
            names = [n["name"] for n in json.loads(after.read_text(encoding="utf-8"))["nodes"]]
        check("the written-back scene carries the renamed objects",
              names == ["Box", "Box_001", "Box_002"], str(names))
        code, _, err = run(command, "package", str(after), str(tmp / "again.json"))
        check("the written-back scene loads again", code == 0, err)

    passed = sum(1 for _, ok, _ in checks if ok)
    for name, ok, detail in checks:
        print(("ok   " if ok else "FAIL ") + name + ("" if ok else "\n  " + detail.strip()[:2000]))
    print("%d passed, %d failed" % (passed, len(checks) - passed))
    return 0 if passed == len(checks) else 1


if __name__ == "__main__":
    sys.exit(main())
