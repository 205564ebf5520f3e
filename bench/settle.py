#!/usr/bin/python3
# settle.py PROGRAM [ARGS...], run on an X display: ms from launch until the screen last changed
# by more than a blinking caret changes it (200 pixels), the processor time the program took in
# all (user and system: on a busy machine, steadier than the time), and its peak memory. The
# screen is taken with xwd every few tens of milliseconds; each start gets its own runtime
# folder, so that no running instance takes the files, and its own home, so that each start is a
# first one, untouched by other programs' settings, sessions and copies kept after a crash.
import numpy as np, subprocess, sys, time, os, tempfile, resource
def grab():
    data = subprocess.run(['xwd', '-root', '-silent'], capture_output=True).stdout
    header = int.from_bytes(data[0:4], 'big')
    ncolors = int.from_bytes(data[76:80], 'big')
    width = int.from_bytes(data[16:20], 'big'); height = int.from_bytes(data[20:24], 'big')
    bpl = int.from_bytes(data[48:52], 'big')
    start = header + ncolors * 12
    return np.frombuffer(data, dtype=np.uint8, count=bpl * height, offset=start).reshape(height, bpl)
rt = tempfile.mkdtemp(); os.chmod(rt, 0o700)
home = tempfile.mkdtemp()
env = {k: v for k, v in os.environ.items()
       if k not in ('XDG_CONFIG_HOME', 'XDG_DATA_HOME', 'XDG_CACHE_HOME', 'XDG_STATE_HOME')}
env.update(XDG_RUNTIME_DIR=rt, HOME=home)
t0 = time.monotonic()
p = subprocess.Popen(sys.argv[1:], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
ref = grab(); last = t0
while True:
    now = time.monotonic()
    frame = grab()
    changed = np.count_nonzero((frame != ref).reshape(frame.shape[0], -1, 4).any(axis=2))
    if changed > 200:
        ref = frame; last = now
    if now - last > 2.0 and now - t0 > 1.5: break
    if now - t0 > 20: break
# The program's own processor time and peak memory, read before it is stopped (the screen
# grabs are children of this script too).
try:
    fields = open(f"/proc/{p.pid}/stat").read().rsplit(")", 1)[1].split()
    cpu = (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf("SC_CLK_TCK")
    peak = next(int(l.split()[1]) for l in open(f"/proc/{p.pid}/status") if l.startswith("VmHWM:"))
except (OSError, StopIteration):
    cpu, peak = float("nan"), 0
p.terminate(); p.wait()
if not peak:
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
subprocess.run(['rm', '-rf', rt, home])
print(f"{(last - t0) * 1000:.0f} ms, cpu {cpu:.0f} ms, peak {peak // 1024} MiB")
