#!/usr/bin/python3
# settle.py PROGRAM [ARGS...], run on an X display: ms from launch until the screen last changed
# by more than a blinking caret changes it (200 pixels), and the program's peak memory. The
# screen is taken with xwd every few tens of milliseconds; each start gets its own runtime
# folder, so that no running instance takes the files.
# With SETTLE_KEYS=N, once the screen has settled the caret is sent to the end of the text
# (Ctrl+End) and N letters are typed there (xdotool): the ms from the first letter until the
# screen settles again, divided by N, is given as the cost of a key. The processor time the
# program took until the screen's last change (user and system, read from /proc in 10 ms ticks)
# is given beside each, as it depends less on what else the machine runs.
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
env = dict(os.environ, XDG_RUNTIME_DIR=rt)
if int(os.environ.get('SETTLE_KEYS', '0')):
    # What was typed is kept for recovery in a folder of this start's own.
    env['XDG_DATA_HOME'] = rt
t0 = time.monotonic()
p = subprocess.Popen(sys.argv[1:], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
def cpu_ms():
    with open(f'/proc/{p.pid}/stat') as stat:
        fields = stat.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf('SC_CLK_TCK')
def settle(start, least):
    """The time of the screen's last change, and the program's processor time then."""
    global ref
    last = start; cpu = cpu_ms()
    while True:
        now = time.monotonic()
        frame = grab()
        changed = np.count_nonzero((frame != ref).reshape(frame.shape[0], -1, 4).any(axis=2))
        if changed > 200:
            ref = frame; last = now; cpu = cpu_ms()
        if now - last > 2.0 and now - start > least: return last, cpu
        if now - start > 20: return last, cpu
ref = grab()
last, opened = settle(t0, 1.5)
keys = int(os.environ.get('SETTLE_KEYS', '0'))
typed = ''
if keys:
    subprocess.run(['xdotool', 'key', 'ctrl+End'])
    settle(time.monotonic(), 0)
    t1 = time.monotonic()
    before = cpu_ms()
    subprocess.run(['xdotool', 'type', '--delay', '0', 'a' * keys])
    shown, cpu = settle(t1, 0)
    typed = (f", keys {(shown - t1) * 1000 / keys:.1f} ms a key,"
             f" cpu {(cpu - before) / keys:.2f} ms a key")
p.terminate()
usage = os.wait4(p.pid, 0)[2]
print(f"{(last - t0) * 1000:.0f} ms, peak {usage.ru_maxrss // 1024} MiB, cpu {opened:.0f} ms{typed}")
