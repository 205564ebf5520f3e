#!/usr/bin/python3
# A stand-in for a screen reader over AT-SPI (python3-pyatspi), run on a session bus with the
# accessibility bus up:
#   reader.py listen            registers for text, caret, focus and tree events, as a screen reader
#                               does, until killed
#   reader.py probe NAME        finds the application NAME's text field and prints what a screen
#                               reader gets of it, then the events sent while it is typed in,
#                               selected in and undone (keys sent with xdotool; give the program
#                               an XDG_DATA_HOME of its own, as what is typed is kept for recovery)
import pyatspi, subprocess, sys, threading, time
from gi.repository import GLib

# A screen reader follows the text, the caret, the selection, focus and the tree's changes.
EVENTS = ['object:text-changed', 'object:text-caret-moved', 'object:text-selection-changed',
          'object:children-changed', 'object:state-changed:focused', 'focus:',
          'object:property-change:accessible-name']
TEXT_EVENTS = ('object:text',)
seen = []

def on_event(event):
    if not event.type.startswith(TEXT_EVENTS):
        return
    text = event.any_data if isinstance(event.any_data, str) else ''
    if len(text) > 40:
        text = text[:40] + '...(%d)' % len(text)
    seen.append('%s %d %d %r' % (event.type, event.detail1, event.detail2, text))

def find(root, role, depth=0):
    if root is None or depth > 30:
        return None
    try:
        if root.getRole() == role:
            return root
        for child in root:
            found = find(child, role, depth + 1)
            if found is not None:
                return found
    except Exception:
        return None
    return None

def probe(name):
    app = None
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        app = next((a for a in desktop if a is not None and a.name == name), None)
        if app is not None:
            break
        time.sleep(0.1)
    if app is None:
        print('no application', name); return 1
    field = find(app, pyatspi.ROLE_TEXT)
    if field is None:
        print('no text field'); return 1
    print('role:', field.getRoleName(), '| interfaces:', ', '.join(pyatspi.listInterfaces(field)))
    text = field.queryText()
    count = text.characterCount
    print('characters:', count, '| caret:', text.caretOffset)
    print('getText(0, 60):', repr(text.getText(0, min(count, 60))))
    for offset in (0, 5, count // 2, count):
        for kind, boundary in (('line', pyatspi.TEXT_BOUNDARY_LINE_START),
                               ('word', pyatspi.TEXT_BOUNDARY_WORD_START),
                               ('char', pyatspi.TEXT_BOUNDARY_CHAR)):
            piece, start, end = text.getTextAtOffset(offset, boundary)
            print('%s at %d: %d-%d %r' % (kind, offset, start, end, piece[:50]))
    def keys(*names):
        for key in names:
            subprocess.run(['xdotool', 'key', '--clearmodifiers', key])
            time.sleep(0.3)
    def act():
        time.sleep(0.5)
        for step, names in (('type', ('ctrl+End', 'zcaron', 'eogonek')),
                            ('select', ('shift+Left', 'shift+Left')),
                            ('undo', ('ctrl+z',))):
            seen.clear()
            keys(*names)
            time.sleep(0.5)
            print('after %s:' % step)
            for line in seen:
                print('   ', line)
            print('    caret %d, characters %d, selections %d' % (
                text.caretOffset, text.characterCount, text.getNSelections()))
        GLib.idle_add(pyatspi.Registry.stop)
    pyatspi.Registry.registerEventListener(on_event, *EVENTS)
    threading.Thread(target=act, daemon=True).start()
    pyatspi.Registry.start()
    return 0

if sys.argv[1] == 'listen':
    pyatspi.Registry.registerEventListener(lambda event: None, *EVENTS)
    pyatspi.Registry.start()
else:
    sys.exit(probe(sys.argv[2]))
