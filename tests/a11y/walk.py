"""Walks vantor's windows on the accessibility bus (run by a11y_walk_test.sh).

  walk.py count      prints the counts of the main window's walk (objects, unnamed
                     interactive ones by role) and ends
  walk.py dump       prints every object of the main window: role, interactive, name
  walk.py main       names and roles of the main window on both pages; Tab order
  walk.py panel      the panel picture's 34 keys and faces found by name, pressed
                     through the bus; an edit through the bus stored in the panel;
                     arrows and Space on the faces
  walk.py dialogs    the progress window (Read Everything Again), Message Form, command picker, Keyboard
                     Message, baud-rate dialog, Copy Bank dialog, message box and
                     file dialog

Presses go out with dbus-send and are not waited for, as a screen reader's are:
a press that opens a modal window returns only once the window closes.
"""
import json
import os
import re
import subprocess
import sys
import time

import pyatspi

R = pyatspi
# Roles a user acts on: these must carry a name.
INTERACTIVE = {
    R.ROLE_PUSH_BUTTON, R.ROLE_TOGGLE_BUTTON, R.ROLE_CHECK_BOX, R.ROLE_RADIO_BUTTON, R.ROLE_TEXT,
    R.ROLE_ENTRY, R.ROLE_PASSWORD_TEXT, R.ROLE_COMBO_BOX, R.ROLE_SPIN_BUTTON, R.ROLE_SCROLL_BAR,
    R.ROLE_SLIDER, R.ROLE_PAGE_TAB, R.ROLE_MENU_ITEM, R.ROLE_CHECK_MENU_ITEM, R.ROLE_RADIO_MENU_ITEM,
    R.ROLE_MENU, R.ROLE_LIST, R.ROLE_TREE, R.ROLE_TABLE, R.ROLE_TREE_TABLE, R.ROLE_LINK,
}
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL: " + what)
    return ok


def wait_for(what, probe, seconds=20.0):
    end = time.time() + seconds
    while True:
        try:
            got = probe()
        except Exception:  # the bus may answer for an object that just went away
            got = None
        if got or time.time() > end:
            if not got:
                check(False, "timed out waiting for " + what)
            return got
        time.sleep(0.05)


def application():
    for app in R.Registry.getDesktop(0):
        if app is not None and "vantor" in (app.name or "").lower():
            return app
    return None


def window(app, title):
    for w in app:
        if w is not None and w.name == title:
            return w
    return None


def walk(obj, out=None):
    out = [] if out is None else out
    out.append(obj)
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None:
            walk(child, out)
    return out


def actions(obj):
    try:
        a = obj.queryAction()
    except NotImplementedError:
        return []
    return [a.getName(i) for i in range(a.nActions)]


# Rows and cells of lists and tables are content, named by what they hold (an
# empty cell, a folder's size, has no name and needs none).
CONTENT = {R.ROLE_LIST_ITEM, R.ROLE_TABLE_CELL, R.ROLE_TREE_ITEM, R.ROLE_TABLE_ROW}


def is_interactive(obj):
    if obj.getRole() in CONTENT:
        return False
    return obj.getRole() in INTERACTIVE or obj.getState().contains(R.STATE_FOCUSABLE) or bool(actions(obj))


def counts(root):
    objects = walk(root)
    unnamed = [o for o in objects if is_interactive(o) and not (o.name or "").strip()]
    roles = {}
    for o in unnamed:
        roles[o.getRoleName()] = roles.get(o.getRoleName(), 0) + 1
    return {
        "objects": len(objects),
        "interactive": sum(1 for o in objects if is_interactive(o)),
        "unnamed_interactive": len(unnamed),
        "unnamed_by_role": roles,
        "unnamed_fillers": sum(1 for o in objects if o.getRole() == R.ROLE_FILLER and not (o.name or "").strip()),
        "check_boxes": sum(1 for o in objects if o.getRole() == R.ROLE_CHECK_BOX),
        "radio_buttons": sum(1 for o in objects if o.getRole() == R.ROLE_RADIO_BUTTON),
    }


def all_named(root, what):
    c = counts(root)
    print("%s: %s" % (what, json.dumps(c, sort_keys=True)))
    check(c["unnamed_interactive"] == 0, "%s: %d interactive objects without a name %s"
          % (what, c["unnamed_interactive"], c["unnamed_by_role"]))
    return c


def find(root, name, role=None, pattern=False):
    for o in walk(root):
        n = o.name or ""
        if (re.fullmatch(name, n) if pattern else n == name) and (role is None or o.getRole() == role):
            return o
    return None


def named(root, name, role=None, pattern=False):
    o = find(root, name, role, pattern)
    check(o is not None, "no %s named %r" % (str(role) if role is not None else "object", name))
    return o


def state(obj, s):
    return obj.getState().contains(s)


_address = []


def bus_address():
    if not _address:
        out = subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply", "/org/a11y/bus",
                              "org.a11y.Bus.GetAddress"], capture_output=True, text=True, timeout=10).stdout
        _address.append(re.search(r'string "([^"]+)"', out).group(1))
    return _address[0]


def act(obj, action="Press", wait=True):
    """Does the object's action the way a screen reader asks for it. The program's own
    controls answer at once and carry the press out after (so presses keep their
    order when the answer is awaited); a menu item answers only once what it
    opened has closed: wait=False."""
    names = actions(obj)
    if not check(action in names, "%r has no %s action (%s)" % (obj.name, action, names)):
        return
    pending.append(subprocess.Popen(
        ["dbus-send", "--print-reply", "--reply-timeout=60000", "--bus=" + bus_address(),
         "--dest=" + obj.app.bus_name, obj.path, "org.a11y.atspi.Action.DoAction", "int32:%d" % names.index(action)],
        stdout=subprocess.DEVNULL))
    if wait:
        try:
            pending[-1].wait(timeout=20)
        except subprocess.TimeoutExpired:
            check(False, "no answer to %s on %r" % (action, obj.name))


# The presses still waiting for their answer; none outlives the walk.
pending = []


def end_pending():
    for p in pending:
        if p.poll() is None:
            p.kill()
        p.wait()


def activate_window(title):
    """Gives the window the keyboard (there is no window manager on the test's display)."""
    subprocess.run(["xdotool", "search", "--name", title, "windowfocus", "--sync"], timeout=10,
                   stdout=subprocess.DEVNULL)


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "50"] + list(names), timeout=10)
    time.sleep(0.3)


def focused(root):
    for o in walk(root):
        if state(o, R.STATE_FOCUSED) and o.getRole() != R.ROLE_FRAME:
            return o
    return None


def main_window(app):
    return wait_for("the main window", lambda: window(app, "Orbel-Lumio/Vantor/Stratiq Macro Editor by Halvern Devices"))


def connected(main):
    """The panel is read once the faces tell what they show."""
    return wait_for("the faces to show the panel's content",
                    lambda: find(main, r"Bank 1 Button 1 On: .*", pattern=True), 120)


# ---- main window ------------------------------------------------------------------

def group_main(app, main):
    all_named(main, "main window, Button Assignment")
    roles = {
        "On Message": R.ROLE_PUSH_BUTTON, "Off Message": R.ROLE_PUSH_BUTTON, "Assign On": R.ROLE_PUSH_BUTTON,
        "On Text Line 1": R.ROLE_TEXT, "Off Text Line 3": R.ROLE_TEXT, "Current Icon Number": R.ROLE_TEXT,
        "Button On Color": R.ROLE_COMBO_BOX, "Button Off Color": R.ROLE_COMBO_BOX,
        "Radio Group": R.ROLE_SPIN_BUTTON, "Momentary": R.ROLE_RADIO_BUTTON, "Latched": R.ROLE_RADIO_BUTTON,
        "Text": R.ROLE_RADIO_BUTTON, "ROM Icon": R.ROLE_RADIO_BUTTON, "ROM Icons": R.ROLE_RADIO_BUTTON,
        "Pixels": R.ROLE_RADIO_BUTTON, "Long 'On' Message": R.ROLE_CHECK_BOX, "Fill Shape": R.ROLE_CHECK_BOX,
        "Pages": R.ROLE_PAGE_TAB_LIST, "Button Assignment": R.ROLE_PAGE_TAB, "Icon Editor": R.ROLE_PAGE_TAB,
        "Icon Library Scroll": R.ROLE_SCROLL_BAR, "Save to RAM Icon": R.ROLE_PUSH_BUTTON,
    }
    for name, role in roles.items():
        named(main, name, role)
    # The choices are radios with their state: one of each group ticked.
    library = [named(main, n, R.ROLE_RADIO_BUTTON) for n in ("ROM Icons", "RAM Icons", "Large ASCII")]
    check(sum(1 for r in library if r and state(r, R.STATE_CHECKED)) == 1, "one icon set ticked")
    check(find(main, "Radio Group", R.ROLE_SPIN_BUTTON) is not None, "the radio group's up-down")
    message = named(main, r"On Message Hex(: .*)?", R.ROLE_PUSH_BUTTON, pattern=True)
    if message:
        check(message.description == "Click to edit Button On Message",
              "the On message's description is its tooltip: %r" % message.description)
    check(bool(find(main, "Bank: 1", R.ROLE_LABEL)), "the bank value label says 'Bank: 1'")

    # Pages: pressing a page tab shows its page.
    assignment, editor = named(main, "Button Assignment", R.ROLE_PAGE_TAB), named(main, "Icon Editor", R.ROLE_PAGE_TAB)
    if assignment and editor:
        check(state(assignment, R.STATE_SELECTED) and not state(editor, R.STATE_SELECTED), "page 1 selected")
        act(editor)
        wait_for("the Icon Editor page", lambda: state(editor, R.STATE_SELECTED)
                 and state(find(main, "Clear", R.ROLE_PUSH_BUTTON), R.STATE_SHOWING))
        check(not state(find(main, "On Message", R.ROLE_PUSH_BUTTON), R.STATE_SHOWING), "page 1 hidden")
        all_named(main, "main window, Icon Editor")
        act(assignment)
        wait_for("the Button Assignment page", lambda: state(assignment, R.STATE_SELECTED)
                 and state(find(main, "On Message", R.ROLE_PUSH_BUTTON), R.STATE_SHOWING))

    # Tab order through the editor: the message buttons, then the text lines.
    first = named(main, "On Message", R.ROLE_PUSH_BUTTON)
    if first:
        activate_window("Macro Editor")
        first.queryComponent().grabFocus()
        wait_for("the focus on On Message", lambda: state(first, R.STATE_FOCUSED))
        seen = []
        for _ in range(5):
            key("Tab")
            f = focused(main)
            seen.append(f.name if f else None)
        check(seen[:5] == ["Long 'On' Message", "Off Message", "On Text Line 1", "On Text Line 2", "On Text Line 3"],
              "Tab order from On Message: %s" % seen)


# ---- panel picture ----------------------------------------------------------------

def face_pattern(bank, button, look):
    return r"Bank %d Button %d %s(: .*)?" % (bank, button, look)


_labels = {}


def value_label(main, caption):
    """The value a label shows beside its caption ("Button #: 4" -> "4"); the label is
    looked up once, its name read each time."""
    if caption not in _labels:
        _labels[caption] = find(main, re.escape(caption) + r": .*", R.ROLE_LABEL, pattern=True)
    label = _labels[caption]
    return label.name.split(": ", 1)[1] if label and ": " in (label.name or "") else None


def selected_button(main):
    return value_label(main, "Button #")


def named_now(obj, pattern):
    return obj is not None and re.fullmatch(pattern, obj.name or "") is not None


def group_panel(app, main):
    connected(main)
    keys = {}
    for bank in range(1, 9):
        keys["Bank %d" % bank] = named(main, "Bank %d" % bank, R.ROLE_RADIO_BUTTON)
    for f in range(1, 5):
        keys["F%d" % f] = named(main, "F%d" % f, R.ROLE_RADIO_BUTTON)
    keys["Shift"] = named(main, "Shift, off", R.ROLE_CHECK_BOX)
    keys["Knob"] = named(main, "Knob", R.ROLE_PUSH_BUTTON)
    for button in range(1, 11):
        for look in ("On", "Off"):
            keys["%d %s" % (button, look)] = named(main, face_pattern(1, button, look), R.ROLE_PUSH_BUTTON, True)
    found = [k for k, o in keys.items() if o is not None and "Press" in actions(o)]
    check(len(found) == 34, "34 pressable keys and faces, found %d" % len(found))
    print("panel: %d keys and faces found by name" % len(found))

    if len(found) != 34:
        return
    # Every bank key shows its bank's faces and is the one ticked.
    for bank in list(range(2, 9)) + [1]:
        act(keys["Bank %d" % bank])
        wait_for("bank %d's faces" % bank, lambda: named_now(keys["10 Off"], face_pattern(bank, 10, "Off"))
                 and state(keys["Bank %d" % bank], R.STATE_CHECKED))
        ticked = [b for b in range(1, 9) if state(keys["Bank %d" % b], R.STATE_CHECKED)]
        check(ticked == [bank], "after Bank %d the ticked bank keys are %s" % (bank, ticked))
        check(value_label(main, "Bank") == str(bank), "the Bank label says %d" % bank)
    # Every face selects its button.
    act(keys["Bank 2"])
    wait_for("bank 2", lambda: named_now(keys["1 On"], face_pattern(2, 1, "On")))
    for button in range(1, 11):
        for look in ("On", "Off"):
            act(keys["%d %s" % (button, look)])
            wait_for("button %d selected by its %s face" % (button, look),
                     lambda: selected_button(main) == str(button))
    # Function keys and Shift tick; the knob selects the knob.
    for f in range(1, 5):
        act(keys["F%d" % f])
        wait_for("F%d ticked" % f, lambda: state(keys["F%d" % f], R.STATE_CHECKED))
        check(not any(state(keys["Bank %d" % b], R.STATE_CHECKED) for b in range(1, 9)), "no bank key after F%d" % f)
    act(keys["Shift"])
    wait_for("Shift on", lambda: find(main, "Shift, on", R.ROLE_CHECK_BOX) and state(keys["Shift"], R.STATE_CHECKED))
    act(keys["Shift"])
    wait_for("Shift off", lambda: find(main, "Shift, off", R.ROLE_CHECK_BOX))
    act(keys["Knob"])
    wait_for("the knob selected", lambda: selected_button(main) == "Knob")

    # An edit through the bus reaches the panel as the record of the face pressed:
    # bank 2, button 4 is record 13 (position 3, bank 1).
    act(keys["Bank 2"])
    wait_for("bank 2", lambda: state(keys["Bank 2"], R.STATE_CHECKED))
    act(keys["4 On"])
    wait_for("button 4", lambda: selected_button(main) == "4")
    text = named(main, "Text", R.ROLE_RADIO_BUTTON)
    if text and not state(text, R.STATE_CHECKED):
        act(text)
    line = wait_for("On Text Line 1 shown", lambda: state(find(main, "On Text Line 1", R.ROLE_TEXT), R.STATE_SHOWING)
                    and find(main, "On Text Line 1", R.ROLE_TEXT))
    if line:
        line.queryEditableText().setTextContents("A11Y")
        record = wait_for("record 13 stored in the panel", lambda: stored_record(3, 1, b"A11Y"), 10)
        check(bool(record), "the panel took record 13 with the new line")
        wait_for("the face to say what it shows", lambda: named_now(keys["4 On"], r"Bank 2 Button 4 On: A11Y( / .*)?"))

    # Keyboard: arrows move between the faces and keys, Space selects.
    start = keys["1 On"]
    activate_window("Macro Editor")
    start.queryComponent().grabFocus()
    wait_for("the focus on face 1", lambda: state(start, R.STATE_FOCUSED))
    key("Right", "Right")
    f = focused(main)
    check(f is not None and re.fullmatch(face_pattern(2, 3, "On"), f.name or ""), "Right twice: %r" % (f and f.name))
    key("Down")
    f = focused(main)
    check(f is not None and re.fullmatch(face_pattern(2, 3, "Off"), f.name or ""), "then Down: %r" % (f and f.name))
    key("space")
    wait_for("Space selects button 3", lambda: selected_button(main) == "3")


def stored_record(position, bank, label):
    """The last definition record the simulator took for (position, bank), if its on
    label begins with `label`."""
    # The simulator logs "in:  F0 15 2C 7E 03 01 ... (114 bytes)": the first 16 bytes.
    want = None
    with open(os.environ["A11Y_SIM_LOG"], errors="replace") as log:
        for line in log:
            m = re.search(r"in:\s+((?:[0-9A-F]{2} ?)+)(?:\.\.\. \((\d+) bytes\))?", line)
            if not m:
                continue
            data = bytes.fromhex(m.group(1))
            size = int(m.group(2)) if m.group(2) else len(data)
            if size == 114 and data[:4] == b"\xF0\x15\x2C\x7E" and data[4] == position and data[5] == bank:
                want = data
    return want is not None and want[8:8 + len(label)] == label


# ---- dialogs ----------------------------------------------------------------------

def dialog(app, title, what, names=(), close="Cancel", inspect=None):
    """Walks a window that opened, checks that it holds these names (patterns), and
    closes it with its button `close`."""
    w = wait_for(what, lambda: window(app, title))
    if not w:
        return None
    wait_for(what + " filled", lambda: find(w, close))
    all_named(w, what)
    for n in names:
        named(w, n, pattern=True)
    if inspect:
        inspect(w)
    button = named(w, close)
    if button:
        act(button)
        wait_for(what + " closed", lambda: window(app, title) is None)
    return w


def menu(main, name):
    item = named(main, name, R.ROLE_MENU_ITEM)
    if item:
        act(item, wait=False)


def group_dialogs(app, main):
    # The start-up shows no progress window (the definitions, then the icons in the
    # background, show in the status strip); Setup > Read Everything Again is the load
    # the user waits for, with a progress window for each part read, which stays up
    # at the line's speed. The windows of the parts done stay listed a while (beside
    # the new one): walk one that still shows its caption and bar.
    def progress_window():
        for w in list(app):
            try:
                if (w is not None and w.name == "Progress" and find(w, "Do not press any buttons!", R.ROLE_LABEL)
                        and find(w, "Progress", R.ROLE_CANVAS)):
                    return w, counts(w)
            except Exception:  # a window that went away while it was walked
                continue
        return None
    # A busy machine may answer the bus so slowly that the walk misses the
    # windows of one whole read: then it reads again (three times at most).
    seen = None
    for attempt in range(3):
        connected(main)
        menu(main, "Read Everything Again")
        seen = wait_for("the progress window of Read Everything Again", progress_window, 25)
        if seen:
            if attempt:
                del failures[-attempt:]
            break
    connected(main)
    if seen:
        print("progress window: %s" % json.dumps(seen[1], sort_keys=True))
        check(seen[1]["unnamed_interactive"] == 0, "progress window: interactive objects without a name")
    wait_for("the panel read", lambda: not any(state(find(w, "Progress", R.ROLE_CANVAS), R.STATE_SHOWING)
                                               for w in list(app) if w is not None and w.name == "Progress"), 120)

    on = named(main, "On Message", R.ROLE_PUSH_BUTTON)
    act(on)
    dialog(app, "Message Form", "Message Form",
           [r"Decimal View(: .*)?", r"Hex View(: .*)?", r"Alpha View(: .*)?", "No Checksum", "Sony Checksum", "Ok"])
    act(on, "ShowMenu")
    dialog(app, "Select Sony Commands", "command picker", ["Sony Commands", "Ok"])
    menu(main, "Keyboard Mode")
    wait_for("keyboard mode ticked", lambda: state(find(main, "Keyboard Mode", R.ROLE_MENU_ITEM), R.STATE_CHECKED))
    act(on)
    dialog(app, "Keyboard Message", "Keyboard Message", ["Alt", "Shift", "Ctrl", "Keyboard Message"])
    menu(main, "Keyboard Mode")
    menu(main, "Emulation Mode")

    def rates(w):
        radios = [o for o in walk(w) if o.getRole() == R.ROLE_RADIO_BUTTON]
        check(len(radios) == 12 and sum(1 for r in radios if state(r, R.STATE_CHECKED)) == 1,
              "the baud rates are twelve radios, one ticked")
    dialog(app, "Select Emulation Mode Baud Rate", "baud-rate dialog", ["Ok"], inspect=rates)
    def banks(w):
        radios = [o for o in walk(w) if o.getRole() == R.ROLE_RADIO_BUTTON]
        check(len(radios) == 8 and sum(1 for r in radios if state(r, R.STATE_CHECKED)) == 1,
              "the banks to copy to are eight radios, one ticked")
    menu(main, "Copy Bank To…")
    dialog(app, "Copy Bank To", "Copy Bank dialog", ["Bank 1", "Bank 8", "Ok"], inspect=banks)
    menu(main, "About")
    dialog(app, "About", "message box", [], close="OK")
    menu(main, "Load Keys")
    dialog(app, "Load Key Definitions", "file dialog", [], close="Cancel")


def main():
    group = sys.argv[1] if len(sys.argv) > 1 else "main"
    app = wait_for("vantor on the accessibility bus", application, 30)
    if not app:
        return 1
    main_win = main_window(app)
    if not main_win:
        return 1
    if group in ("count", "dump"):
        connected(main_win)
        if group == "dump":
            for o in walk(main_win):
                print("%-14s %-2s %r" % (o.getRoleName(), "i" if is_interactive(o) else "", o.name))
        else:
            print(json.dumps(counts(main_win), sort_keys=True))
        return 0
    try:
        {"main": group_main, "panel": group_panel, "dialogs": group_dialogs}[group](app, main_win)
    finally:
        end_pending()
    print("%s: %s" % (group, "%d failures" % len(failures) if failures else "passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
