#!/usr/bin/env python3
"""Runs `larkspur package` on every scene file of this folder and of examples/ and compares the
package and its log with the golden files in this folder, byte for byte. Every package is also
parsed by a strict JSON parser.

usage: check_goldens.py LARKSPUR [EMULATOR...] [--update]

Each scene NAME.scene.json has NAME.package.json and NAME.log in this folder. With --update the goldens
are rewritten from the program's output (review every change before committing it).
"""
import json
import pathlib
import subprocess
import sys
import tempfile


def strict_json(text):
    def reject(name):
        raise ValueError("non-standard constant " + name)

    def no_duplicates(pairs):
        keys = [k for k, _ in pairs]
        # Object keys may repeat in a package (several host names feed one key); only the parse
        # has to succeed, so pairs are kept as a list.
        return pairs if len(set(keys)) != len(keys) else dict(pairs)

    return json.loads(text, parse_constant=reject, object_pairs_hook=no_duplicates)


def main():
    args = [a for a in sys.argv[1:] if a != "--update"]
    update = "--update" in sys.argv[1:]
    if not args:
        print(__doc__)
        return 2
    command = args[1:] + [args[0]]
    here = pathlib.Path(__file__).resolve().parent
    passed = failed = 0
    examples = here.parent.parent / "examples"
    for scene in sorted(here.glob("*.scene.json")) + sorted(examples.glob("*.scene.json")):
        name = scene.name[: -len(".scene.json")]
        with tempfile.TemporaryDirectory() as tmp:
            package = pathlib.Path(tmp) / "1.json"
            run = subprocess.run(command + ["package", str(scene), str(package)],
                                 capture_output=True, timeout=120)
            problems = []
            if run.returncode != 0:
                problems.append("exit code %d: %s" % (run.returncode, run.stderr.decode(errors="replace")))
            outputs = {}
            for suffix, path in ((".package.json", package), (".log", package.with_suffix(".log"))):
                outputs[suffix] = path.read_bytes() if path.exists() else None
            if outputs[".package.json"] is not None:
                try:
                    strict_json(outputs[".package.json"].decode("utf-8"))
                except ValueError as e:
                    problems.append("package is not strict JSON: %s" % e)
            for suffix, data in outputs.items():
                golden = here / (name + suffix)
                if update and data is not None:
                    golden.write_bytes(data)
                elif not golden.exists() or golden.read_bytes() != data:
                    problems.append("%s differs from %s" % (suffix, golden.name))
        if problems:
            failed += 1
            print("FAIL %s\n  %s" % (name, "\n  ".join(problems)))
        else:
            passed += 1
            print("ok   %s" % name)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
