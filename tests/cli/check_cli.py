#!/usr/bin/env python3
"""Checks the larkspur command line as a user meets it: the help texts against help/*.txt, usage
errors, exit codes, bad scene files, the written-back scene, paths beyond ASCII, the output of the
single-step commands, and balance and submit against the stand-in service that the ctest fixture
started (LARKSPUR_TEST_SERVICE, LARKSPUR_TEST_CA).

usage: check_cli.py LARKSPUR [EMULATOR...] [--update]
  --update  rewrite help/*.txt from the program's help texts
"""
import json
import os
import pathlib
import re
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
GOOD_SCENE = HERE / "duplicates.scene.json"
STEPS_SCENE = HERE / "steps.scene.json"
TOKEN_SOURCE = "(larkspur reads it from the environment variable LARKSPUR_TOKEN.)\n"


class Checks:
    def __init__(self, command):
        self.command = command
        self.results = []

    def run(self, args, token=None, env=None, stdin=b""):
        env = {k: v for k, v in os.environ.items() if k != "LARKSPUR_TOKEN"} | (env or {})
        if token is not None:
            env["LARKSPUR_TOKEN"] = token
        result = subprocess.run(self.command + args, capture_output=True, timeout=120, env=env,
                                input=stdin)
        return result.returncode, result.stdout, result.stderr.decode("utf-8")

    def check(self, name, condition, detail=""):
        self.results.append((name, bool(condition), detail))

    def expect(self, name, args, code, out, err, token=None):
        """out is the exact standard output; err the exact standard error or a pattern of it."""
        got_code, got_out, got_err = self.run(args, token)
        err_ok = err.fullmatch(got_err) if isinstance(err, re.Pattern) else got_err == err
        self.check(name, got_code == code and got_out.decode("utf-8") == out and err_ok,
                   "exit %d\nstdout: %r\nstderr: %r" % (got_code, got_out, got_err))


def check_help(c, update):
    _, top, _ = c.run(["--help"])
    commands = re.findall(r"^  (\w+) ", top.decode("utf-8").partition("Commands:")[2], re.M)
    c.check("--help lists the commands", commands, top)
    for args in [[]] + [[name] for name in commands]:
        golden = HERE / "help" / ("-".join(["larkspur"] + args) + ".txt")
        code, out, err = c.run(args + ["--help"])
        if update:
            golden.write_bytes(out)
        c.check("%s --help prints help/%s" % (" ".join(["larkspur"] + args), golden.name),
                code == 0 and err == "" and golden.exists() and out == golden.read_bytes(),
                out.decode("utf-8") + err)
    code, out, _ = c.run(["submit", "1.json", "-h"])
    c.check("-h among other arguments prints the help",
            code == 0 and out == (HERE / "help" / "larkspur-submit.txt").read_bytes())


def check_usage_errors(c, windows):
    # The arguments, the command that the one-line message names, and words of the problem.
    cases = [
        ([], "", "name a command"),
        (["bogus"], "", "unknown command 'bogus'"),
        (["--bogus"], "", "unknown option '--bogus'"),
        (["package", str(GOOD_SCENE)], " package", "PACKAGE is required"),
        (["package", str(GOOD_SCENE), "1.json", "--bogus"], " package", "--bogus"),
        (["package", str(GOOD_SCENE), "1.json", "--scene-out"], " package", "--scene-out"),
        (["textures", str(GOOD_SCENE)], " textures", "JOB_FOLDER is required"),
        (["balance", "extra"], " balance", "extra"),
        (["balance", "--token", "t"], " balance", "--token"),
        (["balance", "--service-url", "localhost"], " balance", "--service-url: needs a URL"),
        (["balance", "--ca-file", "no/such/ca.pem"], " balance",
         "--ca-file: is not available" if windows else "--ca-file: cannot read"),
        (["submit", "--job-name", "j"], " submit", "PACKAGE is required"),
        (["submit", "1.json"], " submit", "--job-name is required"),
        (["submit", "1.json", "--job-name", ""], " submit", "--job-name: needs a name"),
        (["export"], " export", "SCENE is required"),
        (["settings", "--export-displacement", "yes"], " settings", "--export-displacement"),
    ]
    for args, command, problem in cases:
        line = re.compile(re.escape("larkspur%s: " % command) + ".*" + re.escape(problem) +
                          ".*" + re.escape(" (see 'larkspur%s --help')\n" % command))
        c.expect("usage error, exit 2: larkspur %s" % " ".join(args), args, 2, "", line, "t")

    dashboard_text = re.compile(
        re.escape("Invalid token.\nEnter your token from ") + r"[\w.-]+/dashboard\n" +
        re.escape(TOKEN_SOURCE))
    for token in [None, " \t\r\n"]:
        c.expect("balance without a token (%r) asks for one" % token, ["balance"], 2, "",
                 "Enter an API token.\n" + TOKEN_SOURCE, token)
        c.expect("submit without a token (%r) names the dashboard" % token,
                 ["submit", "1.json", "--job-name", "j"], 2, "", dashboard_text, token)


def check_bad_scene(c, tmp):
    bad = tmp / "bad.scene.json"
    scene = json.loads(GOOD_SCENE.read_text(encoding="utf-8"))
    scene["nodes"][1]["materail"] = "mtl"
    bad.write_text(json.dumps(scene), encoding="utf-8")
    out = tmp / "bad"
    out.mkdir()
    scene_out = ["--scene-out", out / "scene.json"]
    for args in [["package", bad, out / "1.json"] + scene_out, ["names", bad] + scene_out,
                 ["bake", bad] + scene_out, ["textures", bad, out / "job"],
                 ["fbx", bad, out / "scene.fbx"], ["prepare", bad] + scene_out]:
        code, stdout, err = c.run([str(a) for a in args])
        c.check("%s: a bad scene file exits 2, names the key and its place, writes nothing"
                % args[0], code == 2 and stdout == b"" and "materail" in err and
                "nodes[1]" in err and not any(out.iterdir()), err)


def check_package(c, tmp):
    code, _, err = c.run(["package", str(tmp / "missing.scene.json"), str(tmp / "1.json")])
    c.check("a missing scene file exits 2", code == 2 and err.strip() != "", err)

    c.expect("an unwritable package exits 1 and says ok: false",
             ["package", str(GOOD_SCENE), str(tmp / "nowhere" / "1.json")], 1,
             "ok: false\nobjects: 0\nlog lines: 5\n", "")

    # Paths beyond ASCII, and beyond the Basic Multilingual Plane, reach the files unchanged.
    folder = tmp / "Szene \u00fc \u20ac \U0001F600"
    folder.mkdir()
    scene = folder / "k\u00fcche.scene.json"
    scene.write_bytes(GOOD_SCENE.read_bytes())
    c.expect("package prints ok, objects and log lines",
             ["package", str(scene), str(folder / "1.json"), "--scene-out",
              str(folder / "nach.json")], 0, "ok: true\nobjects: 3\nlog lines: 5\n", "")
    c.check("the package and its log are written under their names",
            (folder / "1.json").exists() and (folder / "1.log").exists(),
            str(list(folder.iterdir())))
    names = []
    if (folder / "nach.json").exists():
        after = json.loads((folder / "nach.json").read_text(encoding="utf-8"))
        names = [n["name"] for n in after["nodes"]]
    c.check("the written-back scene carries the renamed objects",
            names == ["Box", "Box_001", "Box_002"], str(names))
    return folder / "1.json"


def flattening(name):
    return ('try(\n  select (getNodeByName "%s")\n  resetXForm $\n  collapseStack $\n'
            '  convertToPoly $\n)catch()\n' % name)


def check_steps(c, tmp):
    """Each step command once on steps.scene.json beside the texture it names; what it wrote."""
    folder = tmp / "steps"
    (folder / "maps").mkdir(parents=True)
    scene = folder / STEPS_SCENE.name
    scene.write_bytes(STEPS_SCENE.read_bytes())
    (folder / "maps" / "oak.jpg").write_bytes(b"oak texture")
    vc = "INFO\tLarkspur\t[Larkspur VC] "
    cases = [
        (["names", scene, "--scene-out", folder / "names.json"], 0,
         "tiles\tTile Mix\tTile_Mix\nwood\tWood\tWood_01\nwood_bang\tWood!\tWood_02\n", ""),
        (["bake", scene, "--scene-out", folder / "bake.json"], 0,
         vc + "Tile001 (MultiTexture): bake OK (activeCount=2)\n" + vc +
         "Shelf001 (CoronaMultiMap): items=0 activeCount=0 randomizeMeshElement=false\n"
         "WARN\tLarkspur\t[Larkspur VC] Shelf001 (CoronaMultiMap): SKIPPED \u2014 activeCount is "
         "0\nbaked=1\n", ""),
        (["textures", scene, folder / "job"], 0, "copied=1\nMissing: pine.jpg\n", ""),
        (["fbx", scene, folder / "scene.fbx"], 0, "", ""),
        (["fbx", scene, folder / "scene.obj"], 1, "",
         "FBX export failed (FBX exporter not available or export was rejected \u2014 is the FBX "
         "plugin installed in 3ds Max?)\n"),
        (["prepare", scene, "--scene-out", folder / "prepare.json"], 0,
         "max select all\ntry(macros.run \"Group\" \"Explode\")catch()\n--\n" +
         "--\n".join(flattening(n) for n in ["Tile001", "Floor001", "Shelf001"]) +
         "--\nclearSelection()\n", ""),
    ]
    for args, code, out, err in cases:
        c.expect("larkspur %s %s prints its lines" % (args[0], args[-1].name),
                 [str(a) for a in args], code, out, err)

    def scene_out(name):
        return json.loads((folder / name).read_text(encoding="utf-8"))

    textures = folder / "job" / "textures"
    checks = [
        ("names writes the scene with the materials renamed", lambda: [
            scene_out("names.json")["anims"][a]["name"] for a in ["tiles", "wood", "wood_bang"]]
         == ["Tile_Mix", "Wood_01", "Wood_02"]),
        ("bake writes the coloured mesh, one grey level per element", lambda: scene_out(
            "bake.json")["anims"]["two_tris_mesh"]["mesh"]["vertex_colors"] == [[1] * 3] * 3 +
         [[0] * 3] * 3),
        ("prepare writes the scene without its group, every geometry node an editable poly",
         lambda: [(n["name"], n.get("object")) for n in scene_out("prepare.json")["nodes"]] ==
         [("Tile001", "two_tris_poly"), ("Floor001", "tri_poly"), ("Shelf001", "tri_poly_2"),
          ("Omni001", "omni")]),
        ("textures copies the file found beside the scene file, and only it", lambda: [
            (p.name, p.read_bytes()) for p in textures.iterdir()] == [("oak.jpg", b"oak texture")]),
        ("fbx writes a binary FBX file, and nothing for a path without an exporter", lambda: (
            folder / "scene.fbx").read_bytes().startswith(b"Kaydara FBX Binary  \0") and
         not (folder / "scene.obj").exists()),
    ]
    for name, condition in checks:
        try:
            ok = condition()
        except (OSError, ValueError, KeyError):
            ok = False
        c.check(name, ok)


def check_service(c, windows, tmp, package):
    folder = os.environ.get("LARKSPUR_TEST_SERVICE")
    c.check("the stand-in service is running (run through ctest)", folder)
    if not folder:
        return
    ports_file = pathlib.Path(folder) / "main.ports"
    ports = dict(line.split("=", 1) for line in ports_file.read_text().split())
    url = "https://localhost:" + ports["https"]
    missing = str(tmp / "missing.json")

    def service(base):
        trust = [] if windows else ["--ca-file", os.environ["LARKSPUR_TEST_CA"]]
        return ["--service-url", base] + trust

    submit = ["submit", str(package), "--job-name", "cli_job"]
    cases = [
        ("balance", ["balance"] + service(url), " cli-3a6f\n", 0, "Balance: 120 credits\n", ""),
        ("balance, empty account", ["balance"] + service(url + "/"), "cli-poor-9b2d", 0,
         "Balance: 0 credits\n", ""),
        ("balance, token refused", ["balance"] + service(url), "unknown", 1, "",
         "Invalid token.\nUpdate your token at localhost/dashboard\n"),
        ("balance, connection dropped", ["balance"] + service(url + "/fault/drop"), "cli-3a6f",
         1, "",
         re.compile(r"Connection error:\nHTTP request failed, GetLastError=[1-9]\d*\n")),
        ("submit", submit + service(url), "cli-3a6f", 0, "Job: cli_job\n", ""),
        ("submit, too few credits", submit + service(url), "cli-poor-9b2d", 1, "",
         "Insufficient credits.\nTop up your balance at localhost/dashboard\n"),
        ("submit, service error", submit + service(url + "/fault/error"), "cli-3a6f", 1, "",
         "Failed to send to server:\n{\"error\": \"internal error\"}\n"),
        ("submit, missing package", ["submit", missing, "--job-name", "j"] + service(url),
         "cli-3a6f", 1, "", "Failed to send to server:\nCannot read JSON file: %s\n" % missing),
    ]
    for name, args, token, code, out, err in cases:
        c.expect(name, args, code, out, err, token)
    stored = pathlib.Path(folder) / "main-data" / "cli_job.json"
    c.check("the service stored the package's bytes, and the package stays",
            stored.exists() and package.exists() and stored.read_bytes() == package.read_bytes())

    # export reads the token and the Exchange Folder that settings stored, in a folder of its own.
    env = {"XDG_DATA_HOME": str(tmp / "data"), "LOCALAPPDATA": str(tmp / "data")}
    code, out, err = c.run(["settings", "--token-stdin", "--exchange-folder", str(tmp)], None, env,
                           b" cli-3a6f\t\r\n")
    c.check("settings stores the token trimmed and shows no more of it than its last four",
            code == 0 and out.startswith(b"Token saved.\n") and b"apiToken: ****3a6f\n" in out
            and "cli-3a6f" not in out.decode() + err, out.decode() + err)
    export = ["export", str(GOOD_SCENE)] + service(url)
    code, out, err = c.run(export, None, env)
    c.check("export sends the job with the stored settings",
            code == 0 and re.search(r"100%  Done  OK  Objects: 3\nJob: untitled_\w{8}\n$",
                                    out.decode()), out.decode() + err)
    code, out, err = c.run(export + ["--reset-xform"], None, env)
    c.check("without a terminal the confirmation is declined",
            code == 1 and "Continue? [y/N] no " in err and out.endswith(b"  0%  Ready.\n"),
            out.decode() + err)


def main():
    args = [a for a in sys.argv[1:] if a != "--update"]
    if not args:
        print(__doc__)
        return 2
    emulator = args[1:]
    windows = bool(emulator)  # the emulator runs the Windows build, whose WinHTTP takes no CA file
    c = Checks(emulator + args[:1])
    check_help(c, "--update" in sys.argv)
    check_usage_errors(c, windows)
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        check_bad_scene(c, tmp)
        package = check_package(c, tmp)
        check_steps(c, tmp)
        check_service(c, windows, tmp, package)

    passed = sum(1 for _, ok, _ in c.results if ok)
    for name, ok, detail in c.results:
        print(("ok   " if ok else "FAIL ") + name + ("" if ok else "\n  " + detail.strip()[:2000]))
    print("%d passed, %d failed" % (passed, len(c.results) - passed))
    return 0 if passed == len(c.results) else 1


if __name__ == "__main__":
    sys.exit(main())
