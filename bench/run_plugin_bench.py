#!/usr/bin/env python3
"""Whole-plug-in benchmark: Sorrel against Debian's amsynth VST on the same MIDI.

Renders each workload through sorrel-render with both plug-ins, alternating,
for several rounds, and prints the median CPU time of the process calls, the
realtime factor and the ratio Sorrel / amsynth. Then measures the cost curve
(realtime factor against voice count at 44.1 and 96 kHz; a table and a PNG
plot in bench/results/) and the idle cost (CPU while rendering silence).

    bench/run_plugin_bench.py [--build DIR] [--rounds N] [--cpu CORE] [--quick]

Needs python3-matplotlib for the plot; pin it to a quiet core (--cpu) for
steady figures.
"""
import argparse
import ctypes
import pathlib
import platform
import re
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile

REPO = pathlib.Path(__file__).resolve().parent.parent
sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, str(REPO / "tools"))
from make_demo_midi import BAR, PPQ, Track, meta, track_chunk  # noqa: E402

AMSYNTH = pathlib.Path("/usr/lib/vst/amsynth_vst.so")
RESULTS = REPO / "bench" / "results"
BLOCK = 256
CURVE_VOICES = (1, 2, 4, 6, 8, 16, 32)
CURVE_RATES = (44100, 96000)
SUMMARY = re.compile(r"rendered ([\d.]+) s at \d+ Hz, ([\d.]+) s CPU in process calls")

# Parameter values of Sorrel's selectors: position k of n is stored as k / (n - 1).
FX_CHORUS, FX_ENSEMBLE = 1 / 3, 1.0
ARP_BASE_NOTE_32ND = 1.0
KEY_ASSIGN_UNISON = 0.5

# Byte offsets in Sorrel's 2048-byte program record of the hidden parameters,
# which a host cannot set through effSetParameter.
KEY_ASSIGN_OFFSET = 180
VOICES_TOTAL_OFFSET = 320
FXP_HEADER = ">4si4siiii28si"  # CcnK, size, FPCh, version, id, fx version, params, name, chunk size


# --- Workloads -------------------------------------------------------------

def write_midi(path, notes, bars, bpm=120):
    """notes: (start tick, length in ticks, key). One track, channel 1."""
    track = Track("bench")
    track.events.append((0, 0, meta(0x51, (60_000_000 // bpm).to_bytes(3, "big"))))
    for start, length, key in notes:
        track.note(0, start, length, key, 100)
    song = b"MThd" + struct.pack(">IHHH", 6, 0, 1, PPQ) + track_chunk(track.events, bars * BAR)
    path.write_bytes(song)


def held_chords(count, bars=8):
    """A chord of count distinct keys spread over five octaves, struck every bar and held for most of it."""
    keys = [36 + i * 60 // count for i in range(count)]
    return [(bar * BAR, BAR - PPQ // 4, key) for bar in range(bars) for key in keys], bars


def unison_note(bars=8):
    return [(bar * BAR, BAR - PPQ // 4, 48) for bar in range(bars)], bars


def arpeggio(bars=8):
    """A held four-note chord for the arpeggiator to step through."""
    return [(0, bars * BAR - PPQ // 4, key) for key in (48, 52, 55, 60)], bars


# --- Sorrel program files ------------------------------------------------

class AEffect(ctypes.Structure):
    _fields_ = [("magic", ctypes.c_int32), ("dispatcher", ctypes.c_void_p), ("process", ctypes.c_void_p),
                ("setParameter", ctypes.c_void_p), ("getParameter", ctypes.c_void_p),
                ("numPrograms", ctypes.c_int32), ("numParams", ctypes.c_int32), ("numInputs", ctypes.c_int32),
                ("numOutputs", ctypes.c_int32), ("flags", ctypes.c_int32), ("resvd1", ctypes.c_ssize_t),
                ("resvd2", ctypes.c_ssize_t), ("initialDelay", ctypes.c_int32), ("realQualities", ctypes.c_int32),
                ("offQualities", ctypes.c_int32), ("ioRatio", ctypes.c_float), ("object", ctypes.c_void_p),
                ("user", ctypes.c_void_p), ("uniqueID", ctypes.c_int32), ("version", ctypes.c_int32)]


CALLBACK = ctypes.CFUNCTYPE(ctypes.c_ssize_t, ctypes.c_void_p, ctypes.c_int32, ctypes.c_int32, ctypes.c_ssize_t,
                            ctypes.c_void_p, ctypes.c_float)
EFF_OPEN, EFF_CLOSE, EFF_GET_CHUNK = 0, 1, 23
AUDIO_MASTER_VERSION = 1


def sorrel_init_program(plugin):
    """Sorrel's current program chunk and plug-in id, read through the VST entry point."""
    host = CALLBACK(lambda effect, opcode, *rest: 2400 if opcode == AUDIO_MASTER_VERSION else 0)
    library = ctypes.CDLL(str(plugin))
    library.VSTPluginMain.restype = ctypes.POINTER(AEffect)
    library.VSTPluginMain.argtypes = [CALLBACK]
    effect = library.VSTPluginMain(host)
    dispatch = ctypes.CFUNCTYPE(ctypes.c_ssize_t, ctypes.POINTER(AEffect), ctypes.c_int32, ctypes.c_int32,
                                ctypes.c_ssize_t, ctypes.c_void_p, ctypes.c_float)(effect.contents.dispatcher)
    dispatch(effect, EFF_OPEN, 0, 0, None, 0.0)
    data = ctypes.c_void_p()
    size = dispatch(effect, EFF_GET_CHUNK, 1, 0, ctypes.byref(data), 0.0)
    chunk = bytearray(ctypes.string_at(data, size))
    unique_id = effect.contents.uniqueID
    dispatch(effect, EFF_CLOSE, 0, 0, None, 0.0)
    return chunk, unique_id


def write_program(path, template, voices, key_assign=None):
    chunk, unique_id = bytearray(template[0]), template[1]
    struct.pack_into("<f", chunk, VOICES_TOTAL_OFFSET, (voices - 1) / 31)
    if key_assign is not None:
        struct.pack_into("<f", chunk, KEY_ASSIGN_OFFSET, key_assign)
    header = struct.pack(FXP_HEADER, b"CcnK", 0, b"FPCh", 1, unique_id, 1, 0, b"bench", len(chunk))
    path.write_bytes(header + chunk)


# --- Rendering -------------------------------------------------------------

def cpu_name():
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return platform.machine()


class Report:
    """Prints lines and keeps them for bench/results/summary.txt."""

    def __init__(self):
        self.lines = []

    def __call__(self, line=""):
        print(line, flush=True)
        self.lines.append(line)


class Renderer:
    def __init__(self, render, sorrel, cpu, rounds, workdir):
        self.render, self.sorrel, self.cpu, self.rounds, self.workdir = render, sorrel, cpu, rounds, workdir
        self.template = sorrel_init_program(sorrel)

    def program(self, voices, key_assign=None):
        path = self.workdir / f"voices{voices}-{key_assign}.fxp"
        if not path.exists():
            write_program(path, self.template, voices, key_assign)
        return path

    def run(self, plugin, midi, rate, options=()):
        """(CPU seconds in process calls, seconds of audio rendered)."""
        command = [str(self.render), str(midi), "-o", str(self.workdir / "out.wav"), "--plugin", str(plugin),
                   "--sr", str(rate), "--block", str(BLOCK), "--tail", "0", *options]
        if self.cpu is not None:
            command = ["taskset", "-c", str(self.cpu), *command]
        result = subprocess.run(command, capture_output=True, text=True, check=True)
        found = SUMMARY.search(result.stdout)
        if not found:
            raise RuntimeError(f"no summary from {' '.join(command)}:\n{result.stdout}{result.stderr}")
        return float(found.group(2)), float(found.group(1))


def median_run(renderer, runs):
    """runs: name -> (plugin, midi, rate, options). Alternates them round by round;
    answers name -> (median CPU seconds, audio seconds)."""
    times = {name: [] for name in runs}
    seconds = {}
    for _ in range(renderer.rounds):
        for name, arguments in runs.items():
            cpu, audio = renderer.run(*arguments)
            times[name].append(cpu)
            seconds[name] = audio
    return {name: (statistics.median(times[name]), seconds[name]) for name in runs}


def realtime(result):
    cpu, audio = result
    return audio / cpu if cpu > 0 else float("inf")


def workloads(renderer, report):
    workdir = renderer.workdir
    chorus = ("--param", f"FX Mode={FX_CHORUS}")
    ensemble = ("--param", f"FX Mode={FX_ENSEMBLE}")
    arp = ("--param", "Arpeggio=1", "--param", f"Arp Base Note={ARP_BASE_NOTE_32ND}")
    table = [
        ("6 voices, chorus", held_chords(6), 120, ("--fxp", renderer.program(6), *chorus)),
        ("16 voices", held_chords(16), 120, ("--fxp", renderer.program(16))),
        ("32 voices", held_chords(32), 120, ("--fxp", renderer.program(32))),
        ("32-voice unison, ensemble", unison_note(), 120,
         ("--fxp", renderer.program(32, KEY_ASSIGN_UNISON), *ensemble)),
        ("arpeggio 1/32 at 200 BPM", arpeggio(), 200, arp),
    ]
    report(f"{'workload':28} {'rate':>6} {'Sorrel CPU':>11} {'x RT':>7} {'amsynth CPU':>12} {'x RT':>7} "
          f"{'Sorrel/amsynth':>15}")
    rates = (44100, 96000)
    for index, (name, (notes, bars), bpm, options) in enumerate(table):
        midi = workdir / f"workload{index}.mid"
        write_midi(midi, notes, bars, bpm)
        for rate in rates:
            result = median_run(renderer, {"sorrel": (renderer.sorrel, midi, rate, options),
                                           "amsynth": (AMSYNTH, midi, rate, ())})
            s, a = result["sorrel"], result["amsynth"]
            report(f"{name:28} {rate / 1000:5.1f}k {s[0]:10.4f}s {realtime(s):7.1f} {a[0]:11.4f}s {realtime(a):7.1f} "
                  f"{s[0] / a[0]:15.3f}")


def cost_curve(renderer, report):
    curve = {}
    for voices in CURVE_VOICES:
        notes, bars = held_chords(voices)
        midi = renderer.workdir / f"curve{voices}.mid"
        write_midi(midi, notes, bars)
        for rate in CURVE_RATES:
            result = median_run(renderer, {
                "Sorrel": (renderer.sorrel, midi, rate, ("--fxp", renderer.program(voices))),
                "amsynth": (AMSYNTH, midi, rate, ())})
            for plugin, measured in result.items():
                curve[(plugin, rate, voices)] = realtime(measured)
    lines = ["Realtime factor (audio seconds per CPU second in process calls), "
             f"held chords, {BLOCK}-frame blocks",
             "", "| voices | " + " | ".join(f"{p} {r / 1000:g} kHz" for p in ("Sorrel", "amsynth") for r in CURVE_RATES)
             + " |", "|---:|" + "---:|" * 4]
    for voices in CURVE_VOICES:
        cells = [f"{curve[(p, r, voices)]:.1f}" for p in ("Sorrel", "amsynth") for r in CURVE_RATES]
        lines.append(f"| {voices} | " + " | ".join(cells) + " |")
    RESULTS.mkdir(exist_ok=True)
    (RESULTS / "cost_curve.md").write_text("\n".join(lines) + "\n")
    for line in lines:
        report(line)
    plot_curve(curve)


def plot_curve(curve):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("matplotlib is missing (apt install python3-matplotlib): no plot written")
        return
    figure, axes = plt.subplots(figsize=(6.4, 4.2))
    for plugin, style in (("Sorrel", "-o"), ("amsynth", "--s")):
        for rate in CURVE_RATES:
            axes.plot(CURVE_VOICES, [curve[(plugin, rate, v)] for v in CURVE_VOICES], style,
                      label=f"{plugin}, {rate / 1000:g} kHz")
    axes.set_xscale("log", base=2)
    axes.set_yscale("log")
    axes.set_xticks(CURVE_VOICES, [str(v) for v in CURVE_VOICES])
    axes.set_xlabel("voices sounding")
    axes.set_ylabel("realtime factor (higher is cheaper)")
    axes.set_title(f"Cost curve, {BLOCK}-frame blocks")
    axes.grid(True, which="both", alpha=0.3)
    axes.legend()
    figure.tight_layout()
    figure.savefig(RESULTS / "cost_curve.png", dpi=100)
    print(f"wrote {RESULTS / 'cost_curve.png'}")


def idle_cost(renderer, report, seconds=60):
    midi = renderer.workdir / "silence.mid"
    bars = round(seconds / 2)  # 120 BPM: two seconds a bar
    write_midi(midi, [], bars)
    result = median_run(renderer, {"Sorrel": (renderer.sorrel, midi, 44100, ()),
                                   "amsynth": (AMSYNTH, midi, 44100, ())})
    for plugin, (cpu, audio) in result.items():
        report(f"idle {plugin:8} {100 * cpu / audio:.4f} % of a core ({cpu * 1000:.1f} ms CPU for {audio:.0f} s of silence)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", type=pathlib.Path, default=REPO / "build",
                        help="build directory with tools/sorrel-render and Sorrel.so")
    parser.add_argument("--rounds", type=int, default=5, help="rounds per measurement (the median is shown)")
    parser.add_argument("--cpu", type=int, default=None, help="pin the renders to this core with taskset")
    parser.add_argument("--skip", action="append", default=[], choices=("workloads", "curve", "idle"),
                        help="leave a part out; may be repeated")
    args = parser.parse_args()

    render = args.build / "tools" / "sorrel-render"
    sorrel = next(args.build.rglob("Sorrel.so"), None)
    for needed, what in ((render, "sorrel-render"), (sorrel, "Sorrel.so"), (AMSYNTH, "amsynth (apt install amsynth)")):
        if needed is None or not needed.exists():
            sys.exit(f"missing {what}: {needed}")
    if args.cpu is not None and shutil.which("taskset") is None:
        sys.exit("--cpu needs taskset (util-linux)")

    with tempfile.TemporaryDirectory(prefix="sorrel-bench-") as workdir:
        renderer = Renderer(render, sorrel, args.cpu, args.rounds, pathlib.Path(workdir))
        report = Report()
        report(f"{cpu_name()}, {args.rounds} rounds, medians, "
               f"{BLOCK}-frame blocks" + (f", pinned to core {args.cpu}" if args.cpu is not None else ""))
        report()
        if "workloads" not in args.skip:
            workloads(renderer, report)
            report()
        if "curve" not in args.skip:
            cost_curve(renderer, report)
            report()
        if "idle" not in args.skip:
            idle_cost(renderer, report)
        RESULTS.mkdir(exist_ok=True)
        (RESULTS / "summary.txt").write_text("\n".join(report.lines) + "\n")


if __name__ == "__main__":
    main()
