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
LIMIT = float(os.environ.get('SETTLE_LIMIT', '30'))
ref = grab(); last = t0; shown = False
while True:
    now = time.monotonic()
    frame = grab()
    changed = np.count_nonzero((frame != ref).reshape(frame.shape[0], -1, 4).any(axis=2))
    if changed > 200:
        ref = frame; last = now; shown = True
    # A program that shows nothing for seconds (one that reads a large file before it shows its
    # window) is waited for.
    if shown and now - last > 2.0 and now - t0 > 1.5: break
    if now - t0 > LIMIT: break
# With SETTLE_KEYS=N, the caret is then sent to the end of the text (Ctrl+End) and N letters are
# typed there one by one: for each, the time from the key until the letter shows. Only the box
# where the second letter showed is watched then, and only a change over more than three
# columns counts, so that a blinking caret does not. SETTLE_KEYS_AFTER=S waits S seconds more
# before the first letter.
keys = []
def settle_again(quiet=1.0, limit=20):
    ref = grab(); since = time.monotonic(); start = since
    while time.monotonic() - since < quiet and time.monotonic() - start < limit:
        frame = grab()
        if np.count_nonzero((frame != ref).reshape(frame.shape[0], -1, 4).any(axis=2)) > 200:
            ref = frame; since = time.monotonic()
    return ref
if int(os.environ.get('SETTLE_KEYS', '0')) > 0 and p.poll() is None:
    from Xlib import display, X, XK
    from Xlib.ext import xtest
    d = display.Display()
    root = d.screen().root
    def tap(name, modifier=None):
        code = d.keysym_to_keycode(XK.string_to_keysym(name))
        if modifier:
            xtest.fake_input(d, X.KeyPress, d.keysym_to_keycode(XK.string_to_keysym(modifier)))
        xtest.fake_input(d, X.KeyPress, code); xtest.fake_input(d, X.KeyRelease, code)
        if modifier:
            xtest.fake_input(d, X.KeyRelease, d.keysym_to_keycode(XK.string_to_keysym(modifier)))
        d.sync()
    tap('End', 'Control_L'); settle_again()
    # The text before the caret may still be coloured, unseen, for a while: typing waits for it.
    time.sleep(float(os.environ.get('SETTLE_KEYS_AFTER', '0')))
    tap('W'); before = settle_again(0.5)
    tap('W'); after = settle_again(0.5)
    rows = np.nonzero((before != after).reshape(before.shape[0], -1, 4).any(axis=2).any(axis=1))[0]
    if len(rows):
        # The topmost group of changed rows: the line typed on, not the status bar.
        top = rows[0]; bottom = top
        for r in rows[1:]:
            if r - bottom > 8: break
            bottom = r
        width = d.screen().width_in_pixels
        box = lambda: np.frombuffer(root.get_image(0, int(top), width, int(bottom - top + 1), X.ZPixmap,
                                                   0xffffffff).data, dtype=np.uint8).reshape(int(bottom - top + 1), width, 4)
        for _ in range(int(os.environ['SETTLE_KEYS'])):
            time.sleep(0.2)
            ref = box(); sent = time.monotonic(); tap('W')
            while time.monotonic() - sent < 5:
                if np.count_nonzero((box() != ref).any(axis=2).any(axis=0)) > 3:
                    break
            keys.append((time.monotonic() - sent) * 1000)
# The program's own processor time and peak memory, read before it is stopped (the screen
# grabs are children of this script too).
try:
    fields = open(f"/proc/{p.pid}/stat").read().rsplit(")", 1)[1].split()
    cpu = (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf("SC_CLK_TCK")
    peak = next(int(l.split()[1]) for l in open(f"/proc/{p.pid}/status") if l.startswith("VmHWM:"))
except (OSError, StopIteration):
    cpu, peak = float("nan"), 0
# A program asked to end with text typed may ask whether to save it: it is then killed.
p.terminate()
try:
    p.wait(5)
except subprocess.TimeoutExpired:
    p.kill(); p.wait()
if not peak:
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
subprocess.run(['rm', '-rf', rt, home])
typed = f", key {np.median(keys):.1f} ms (at most {max(keys):.1f})" if keys else ""
settled = f"{(last - t0) * 1000:.0f} ms" if shown and last - t0 < LIMIT - 2 else f"over {LIMIT * 1000:.0f} ms"
print(f"{settled}, cpu {cpu:.0f} ms, peak {peak // 1024} MiB{typed}")
