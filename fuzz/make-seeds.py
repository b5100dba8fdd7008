"""Writes the seed corpora of the fuzz targets from the examples and from
the flux files of runs of the examples.

    /usr/bin/python3 fuzz/make-seeds.py RUNS

RUNS holds run directories of the built program: fav (examples/favorable,
all particles), het (examples/heterogeneous), fav_one_2 (examples/cluster,
particle 2 of 10), and het_restart/FLUXATT.IN (a restart input).
"""
import pathlib
import sys

here = pathlib.Path(__file__).resolve().parent
root = here.parent
runs = pathlib.Path(sys.argv[1])


def write(target, name, data):
    path = here / "corpus" / target / name
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def text(path):
    return pathlib.Path(path).read_bytes()


examples = {name: text(root / "examples" / name / "INPUT.IN")
            for name in ("favorable", "heterogeneous", "cluster")}
examples["regression"] = text(root / "tests/data/regression/INPUT.IN")

for name, data in examples.items():
    write("parameter_file", name, data)
# The first line doubles as the command line.
write("parameter_file", "cluster-block",
      b"25 3-7 --seed 42 -j 2\n" + examples["cluster"].split(b"\n", 1)[1])

write("list_reader", "favorable", b"\x05\x1b\x6c\x0e" + examples["favorable"])
write("list_reader", "separators", b"\x31\x1b\x6c\x0e" +
      b"1.5, 2 ,,4\n3*0.25 7\n5 / 99\n8\n\n  \n1.0-5 .5 1.D3 -2.5e-6 abc 2* ,\n")

write("restart_file", "heterogeneous", b"\x13" + text(runs / "het_restart/FLUXATT.IN"))
write("restart_file", "favorable", b"\x02" + text(runs / "fav/FLUXATT.OUT"))

sep = b"=====\n"
for name in ("fav", "het"):
    files = [text(runs / name / f"FLUX{f}.OUT") for f in ("EX", "ATT", "REM")]
    write("run_files", name, b"\x00" + sep.join(files))
numbered = [text(runs / "fav_one_2" / f"VORNEKFLUX{f}.2.OUT") for f in ("EX", "ATT", "REM")]
write("run_files", "numbered", b"\x03" + sep.join(numbered))
