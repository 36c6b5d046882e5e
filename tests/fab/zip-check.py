#!/usr/bin/env python3
"""The example's Fab Export zip read back: its entries are the loose files, stored alike (fixed date, deflate,
no host fields), its bytes the same on a second run; the X2 attributes of every Gerber file, the drill files'
function comments and the job file, each parsed, agree with one another and with the outline's extent; a
SOURCE_DATE_EPOCH dates them all, a malformed one writes nothing.
Usage: zip-check.py FLASHKIT_CLI SOURCE_DIR [WINDOWS_ZIP]: with WINDOWS_ZIP, also its bytes equal Linux's."""
import json, os, pathlib, re, shutil, subprocess, sys, tempfile, zipfile

cli, source = sys.argv[1], pathlib.Path(sys.argv[2])
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def export(work, env_extra=None):
    (work / "out").mkdir(parents=True)
    env = dict(os.environ)
    env.pop("SOURCE_DATE_EPOCH", None)
    env.update(env_extra or {})
    r = subprocess.run([cli, "fabexport", "--program-dir", str(work), "--base", "BOARD", "--input-path",
                        str(work / "in"), "--dfn-path", str(work / "in"), "--output-path", str(work / "out"),
                        "--pick", str(work / "in") + "/TOP.GBR ,PLANE.GBR ,OUTLINE.GBR"],
                       env=env, capture_output=True)
    return r.returncode, work / "out"


def attributes(text):
    """%TF.Name,value*% lines of a Gerber file, and '; #@! TF.Name,value' comments of a drill file."""
    found = {}
    for m in re.finditer(r"^(?:%TF\.|; #@! TF\.)([A-Za-z]+),([^*\r\n]*)", text, re.M):
        found[m.group(1)] = m.group(2)
    return found


def check_zip(out, date):
    z = zipfile.ZipFile(out / "BOARD-fab.zip")
    names = [i.filename for i in z.infolist()]
    check(names == sorted(names), "entries in the order of their names")
    check(set(names) == {p.name for p in out.iterdir()} - {"BOARD-fab.zip"}, "every file is in the zip")
    for i in z.infolist():
        check(z.read(i) == (out / i.filename).read_bytes(), i.filename + " as written loose")
        check(i.date_time == date and i.compress_type == zipfile.ZIP_DEFLATED and i.extra == b""
              and i.create_system == 3 and i.external_attr == 0o100644 << 16, i.filename + " stored alike")
    job = json.loads(z.read("BOARD.gbrjob"))
    listed = {f["Path"]: f for f in job["FilesAttributes"]}
    check(set(listed) == set(names) - {"BOARD.gbrjob"}, "the job file lists every other file")
    version = subprocess.run([cli, "--version"], capture_output=True, text=True).stdout.split()[-1]
    check(job["Header"]["GenerationSoftware"]["Version"] == version, "job file's version")
    copper = 0
    for name, entry in listed.items():
        a = attributes(z.read(name).decode())
        check(a.get("FileFunction") == entry["FileFunction"], name + " function as the job file says")
        if not name.endswith(".drl"):
            check(a.get("FilePolarity") == entry["FilePolarity"], name + " polarity as the job file says")
            check(a.get("Part") == "Single", name + " part")
            check(a.get("GenerationSoftware") == "Flashkit,Fab Export," + version, name + " software")
        copper += entry["FileFunction"].startswith("Copper")
    check(job["GeneralSpecs"]["LayerNumber"] == copper, "layer number counts the copper files")
    mils = [(int(x), int(y)) for x, y in re.findall(r"X(-?\d+)Y(-?\d+)D0", z.read("BOARD.GKO").decode())]
    size = job["GeneralSpecs"]["Size"]
    for axis, key in ((0, "X"), (1, "Y")):
        extent = max(p[axis] for p in mils) - min(p[axis] for p in mils)
        check(abs(size[key] - extent * 0.0254) < 1e-9, "board size " + key + " is the outline's extent")
    return z, job


with tempfile.TemporaryDirectory() as tmp:
    work = pathlib.Path(tmp)
    for run in ("a", "b", "dated", "bad"):
        shutil.copytree(source / "examples" / "fab", work / run / "in",
                        ignore=shutil.ignore_patterns("OUTPUT"))
    status, a = export(work / "a")
    check(status == 0, "the export runs")
    check_zip(a, (1980, 1, 1, 0, 0, 0))
    export(work / "b")
    check((a / "BOARD-fab.zip").read_bytes() == (work / "b" / "out" / "BOARD-fab.zip").read_bytes(),
          "two runs, the same zip")
    _, dated = export(work / "dated", {"SOURCE_DATE_EPOCH": "1700000000"})
    z, job = check_zip(dated, (2023, 11, 14, 22, 13, 20))
    check(job["Header"].get("CreationDate") == "2023-11-14T22:13:20+00:00", "the job file's date")
    check(attributes(z.read("BOARD.GTL").decode()).get("CreationDate") == "2023-11-14T22:13:20+00:00",
          "the plot's date")
    status, bad = export(work / "bad", {"SOURCE_DATE_EPOCH": "17e8"})
    check(status == 1 and not any(bad.iterdir()), "a malformed SOURCE_DATE_EPOCH writes nothing")
    if len(sys.argv) > 3:
        check(pathlib.Path(sys.argv[3]).read_bytes() == (a / "BOARD-fab.zip").read_bytes(),
              "the Windows program's zip is Linux's")

for f in failures:
    print("FAIL:", f, file=sys.stderr)
if not failures:
    print("the zip holds every file as written, alike and dated as asked; X2 attributes and job file agree")
sys.exit(1 if failures else 0)
