#!/usr/bin/env python3
"""Key latency of the real program in a terminal: key -> screen and key -> first sample.

Runs cadencio on a pseudo-terminal (TERM=xterm) at a stored tempo, with SDL's disk audio
driver writing the stream into a pipe that this script reads as it is rendered. The beat
sounds are set to files that do not exist, so the beat keeps its time in silence and every
sample heard is an answer. For each key (Space, Esc, F8, Up) at each tempo (1, 20, 500 BPM):

  key -> screen        from writing the key's bytes to the terminal until the program's
                       first output after it (the title counts: Up only changes the title)
  key -> first sample  from the key until the audio block holding the first sample of the
                       answer leaves the mixer (the disk driver writes each block as it is
                       rendered, one block of 512 frames at a time)

Each key is pressed several times, after the program has been quiet for a while; the table
gives the median and the largest time in milliseconds.

    bench/speed/key_latency.py [BINARY] [REPEATS]
"""
import os
import pty
import select
import statistics
import struct
import sys
import tempfile
import threading
import time

BINARY = sys.argv[1] if len(sys.argv) > 1 else "build/cadencio"
REPEATS = int(sys.argv[2]) if len(sys.argv) > 2 else 5
TEMPOS = (1, 20, 500)
# Each key, and what undoes it so the next press finds the beat running.
KEYS = (
    ("Space", b" ", b" "),
    ("Esc", b"\x1b", b"n"),
    ("F8", b"\x1b[19~", None),
    ("Up", b"\x1b[A", None),
)
SILENT = 1e-4


class AudioReader(threading.Thread):
    """Reads the rendered stream (float stereo) and notes when blocks with sound arrive."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.path = path
        self.sound_times = []  # arrival time of every block holding sound
        self.lock = threading.Lock()

    def run(self):
        with open(self.path, "rb", buffering=0) as stream:
            while True:
                block = stream.read(65536)
                if not block:
                    return
                now = time.monotonic()
                count = len(block) // 4
                samples = struct.unpack("<%df" % count, block[: count * 4])
                if any(abs(s) > SILENT for s in samples):
                    with self.lock:
                        self.sound_times.append(now)

    def first_after(self, t0):
        with self.lock:
            return next((t for t in self.sound_times if t >= t0), None)

    def last(self):
        with self.lock:
            return self.sound_times[-1] if self.sound_times else 0.0


class Program:
    def __init__(self, bpm, work):
        with open(os.path.join(work, "AUDIRA.INI"), "w", newline="") as ini:
            ini.write("[CADENCIO]\r\nBPM=%d\r\nCOMPASSO=Q\r\nSOMTEMPO=nenhum\r\n"
                      "SOMCOMPASSO=nenhum\r\n" % bpm)
        fifo = os.path.join(work, "stream.raw")
        os.mkfifo(fifo)
        self.audio = AudioReader(fifo)
        self.audio.start()
        env = dict(os.environ, TERM="xterm", AUDIRA_WINDIR=work, SDL_AUDIODRIVER="disk",
                   SDL_DISKAUDIOFILE=fifo)
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.execve(BINARY, [BINARY, "--terminal"], env)
        self.output_times = []

    def pump(self, seconds):
        """Reads the terminal for a while, noting when output arrives."""
        end = time.monotonic() + seconds
        while True:
            left = end - time.monotonic()
            if left <= 0:
                return
            ready, _, _ = select.select([self.fd], [], [], left)
            if ready:
                try:
                    data = os.read(self.fd, 65536)
                except OSError:
                    return
                if data:
                    self.output_times.append(time.monotonic())

    def wait_quiet(self, quiet=1.0, limit=20.0):
        """Until neither sound nor output came for `quiet` seconds."""
        end = time.monotonic() + limit
        while time.monotonic() < end:
            self.pump(0.1)
            last = max(self.audio.last(), self.output_times[-1] if self.output_times else 0)
            if time.monotonic() - last >= quiet:
                return

    def press(self, key):
        self.pump(0)
        t0 = time.monotonic()
        os.write(self.fd, key)
        self.pump(3.0)
        screen = next((t for t in self.output_times if t >= t0), None)
        sample = self.audio.first_after(t0)
        return (None if screen is None else 1000 * (screen - t0),
                None if sample is None else 1000 * (sample - t0))

    def close(self):
        try:
            os.kill(self.pid, 9)
            os.waitpid(self.pid, 0)
        except OSError:
            pass


def summary(values):
    values = [v for v in values if v is not None]
    if not values:
        return "—"
    return "%.1f (max %.1f)" % (statistics.median(values), max(values))


def main():
    rows = []
    for bpm in TEMPOS:
        with tempfile.TemporaryDirectory() as work:
            program = Program(bpm, work)
            program.wait_quiet(1.5)  # the greeting is over, the beat runs
            for name, key, undo in KEYS:
                screens, samples = [], []
                for _ in range(REPEATS):
                    program.wait_quiet()
                    screen, sample = program.press(key)
                    screens.append(screen)
                    samples.append(sample)
                    if undo:
                        program.wait_quiet()
                        program.press(undo)
                rows.append((bpm, name, summary(screens), summary(samples)))
            program.close()
    load = open("/proc/loadavg").read().split()[:3]
    print("key latency, ms: median (max) of %d presses; load %s" % (REPEATS, " ".join(load)))
    print("| BPM | key | key -> screen | key -> first sample |")
    print("|---|---|---|---|")
    for bpm, name, screen, sample in rows:
        print("| %d | %s | %s | %s |" % (bpm, name, screen, sample))


if __name__ == "__main__":
    main()
