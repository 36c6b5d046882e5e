#!/usr/bin/env python3
"""The example's Fab Export zip read back: its entries are the loose files, stored alike (deflate, no host
fields), dated as the export; its bytes the same on a second run with SOURCE_DATE_EPOCH; the X2 attributes of
every Gerber file, the drill files' attribute comments and the job file, each parsed, agree with one another
and with the outline's extent, and hold what the Gerber and job formats make mandatory; one copper numbering
throughout; without SOURCE_DATE_EPOCH the clock dates them all, a malformed one writes nothing.
Usage: zip-check.py FLASHKIT_CLI SOURCE_DIR [WINDOWS_ZIP]: with WINDOWS_ZIP (an export at SOURCE_DATE_EPOCH
1700000000), also its bytes equal Linux's."""
import datetime, json, os, pathlib, re, shutil, subprocess, sys, tempfile, time, zipfile

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
    """%TF.Name[,value]*% lines of a Gerber file, and '; #@! TF.Name,value' comments of a drill file."""
    found = {}
    for m in re.finditer(r"^(?:%TF\.|; #@! TF\.)([A-Za-z]+)(?:,([^*\r\n]*))?", text, re.M):
        found[m.group(1)] = m.group(2) or ""
    return found


ISO = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$")
GUID = re.compile(r"^[0-9a-f]{8}-[0-9a-f]{4}-[1-8][0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$")


def check_job_members(job):
    """The members the job format makes mandatory, and those intakes read, with their value syntax."""
    header, general = job.get("Header", {}), job.get("GeneralSpecs", {})
    check(set(header.get("GenerationSoftware", {})) >= {"Vendor", "Application", "Version"}, "generation software")
    check(bool(ISO.match(header.get("CreationDate", ""))), "the job file's creation date")
    pid = general.get("ProjectId", {})
    check(bool(pid.get("Name")) and bool(GUID.match(pid.get("GUID", ""))) and bool(pid.get("Revision")),
          "project id with name, GUID and revision")
    check(general.get("Size", {}).get("X", 0) > 0 and general.get("Size", {}).get("Y", 0) > 0, "board size")
    check(isinstance(general.get("LayerNumber"), int) and 0 < general.get("BoardThickness", 0) <= 10, "layers, thickness")
    rules = job.get("DesignRules", [])
    check(len(rules) >= 1 and all(r.get("Layers") in ("Outer", "Inner", "All") for r in rules), "design rules")
    stack = job.get("MaterialStackup", [])
    copper = [m for m in stack if m.get("Type") == "Copper"]
    check(len(copper) == general.get("LayerNumber"), "the stack-up holds every copper layer")
    total = sum(m.get("Thickness", 0) for m in stack if m.get("Type") in ("Copper", "Dielectric"))
    check(abs(total - general.get("BoardThickness", 0)) < 1e-9, "the stack-up adds up to the board's thickness")


def check_copper_numbering(listed, layers):
    """Top is L1, the bottom the last layer, inner layers between; drill spans from 1 to the last."""
    numbers = []
    for name, entry in listed.items():
        f = entry["FileFunction"].split(",")
        if f[0] == "Copper":
            n, side = int(f[1][1:]), f[2]
            numbers.append(n)
            fits = {"Top": n == 1, "Bot": n == layers, "Inr": 1 < n < layers}.get(side, False)
            check(fits, name + " side " + side + " fits layer " + str(n) + " of " + str(layers))
        elif f[0] in ("Plated", "NonPlated"):
            check(f[1:3] == ["1", str(layers)], name + " spans the copper layers")
    check(sorted(numbers) == list(range(1, layers + 1)), "each copper layer once")


def check_zip(out, date, iso):
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
    check(job["Header"]["CreationDate"] == iso, "the job file's date")
    check_job_members(job)
    pid = job["GeneralSpecs"]["ProjectId"]
    copper = 0
    for name, entry in listed.items():
        text = z.read(name).decode()
        a = attributes(text)
        check(a.get("FileFunction") == entry["FileFunction"], name + " function as the job file says")
        check(a.get("GenerationSoftware") == "Flashkit,Fab Export," + version, name + " software")
        check(a.get("CreationDate") == iso, name + " date as the job file's")
        if name.endswith(".drl"):
            check("\nFMAT,2\r\n" in text and "; #@! TA.AperFunction," in text, name + " format and hole functions")
        else:
            check(a.get("FilePolarity") == entry["FilePolarity"], name + " polarity as the job file says")
            check(a.get("Part") == "Single", name + " part")
            check(a.get("ProjectId") == ",".join([pid["Name"], pid["GUID"], pid["Revision"]]), name + " project")
            check("SameCoordinates" in a, name + " same coordinates")
            check("\n%FSLAX26Y26*%\r\n" in text and "\n%MOIN*%\r\n" in text, name + " in format 2.6, inches")
        copper += entry["FileFunction"].startswith("Copper")
    check(job["GeneralSpecs"]["LayerNumber"] == copper, "layer number counts the copper files")
    check_copper_numbering(listed, copper)
    millionths = [(int(x), int(y)) for x, y in re.findall(r"X(-?\d+)Y(-?\d+)D0", z.read("BOARD.GKO").decode())]
    size = job["GeneralSpecs"]["Size"]
    for axis, key in ((0, "X"), (1, "Y")):
        extent = max(p[axis] for p in millionths) - min(p[axis] for p in millionths)
        check(abs(size[key] - extent * 25.4e-6) < 1e-9, "board size " + key + " is the outline's extent")
    return z, job


EPOCH = {"SOURCE_DATE_EPOCH": "1700000000"}
with tempfile.TemporaryDirectory() as tmp:
    work = pathlib.Path(tmp)
    for run in ("a", "b", "clock", "bad"):
        shutil.copytree(source / "examples" / "fab", work / run / "in",
                        ignore=shutil.ignore_patterns("OUTPUT"))
    status, a = export(work / "a", EPOCH)
    check(status == 0, "the export runs")
    check_zip(a, (2023, 11, 14, 22, 13, 20), "2023-11-14T22:13:20+00:00")
    export(work / "b", EPOCH)
    check((a / "BOARD-fab.zip").read_bytes() == (work / "b" / "out" / "BOARD-fab.zip").read_bytes(),
          "two runs, the same zip")
    before = int(time.time())
    _, clock = export(work / "clock")
    after = int(time.time())
    job = json.loads((clock / "BOARD.gbrjob").read_bytes())
    made = datetime.datetime.fromisoformat(job["Header"]["CreationDate"]).timestamp()
    check(before <= made <= after, "without SOURCE_DATE_EPOCH, the clock's date")
    # A zip entry's time counts in steps of two seconds.
    check_zip(clock, datetime.datetime.fromtimestamp(made // 2 * 2, datetime.timezone.utc).timetuple()[:6],
              job["Header"]["CreationDate"])
    status, bad = export(work / "bad", {"SOURCE_DATE_EPOCH": "17e8"})
    check(status == 1 and not any(bad.iterdir()), "a malformed SOURCE_DATE_EPOCH writes nothing")
    if len(sys.argv) > 3:
        check(pathlib.Path(sys.argv[3]).read_bytes() == (a / "BOARD-fab.zip").read_bytes(),
              "the Windows program's zip is Linux's")

for f in failures:
    print("FAIL:", f, file=sys.stderr)
if not failures:
    print("the zip holds every file as written, alike and dated as asked; X2 attributes and job file agree,"
          " mandatory members present, one copper numbering")
sys.exit(1 if failures else 0)
