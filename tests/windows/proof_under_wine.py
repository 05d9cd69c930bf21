#!/usr/bin/python3
"""The Windows build as a user meets it: its zip unpacked into a fresh
folder and run under Wine on the X display in DISPLAY (an Xvfb), driven with
keys as a user drives it, between Linux DCMTK peers on loopback, with the
Linux build relaying the same images as the reference.

    proof_under_wine.py <QuorinRelay-...-win64.zip> <Linux build's QuorinRelay>

Prints a line per check and ends with status 1 at the first that fails.
Every process it starts it ends by its PID.
"""
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import zipfile
from pathlib import Path

import pydicom

HERE = Path(__file__).resolve().parent
PYDICOM_FILES = HERE.parent / "dicom" / "pydicom_files.py"
CAPTION = "Quorin Relay: Version 1.0.0"
# The main window's client area and controls as designed, in twips.
MAIN_CLIENT_HEIGHT = 7590
START_STOP = (360, 4900, 1500, 500)
NEW = (2790, 4900, 1500, 500)
FIRST_ROW = (360, 180 + 600, 3000, 1)  # below the list's column headers
TRANSFER_FAILED = "Quorin Relay: Fehler"
started = []  # every process this script started


class ProofFailed(Exception):
    pass


def check(condition, what, detail=""):
    if not condition:
        raise ProofFailed(f"{what}{': ' + detail if detail else ''}")
    print(f"ok: {what}", flush=True)


def wait_for(condition, timeout, step=0.1):
    """Polls `condition` until it holds (its value) or `timeout` seconds pass (None)."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(step)


# --- processes -----------------------------------------------------------

def start(arguments, cwd=None, env=None, output=None):
    process = subprocess.Popen(arguments, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                               stdout=output or subprocess.DEVNULL, stderr=subprocess.STDOUT)
    started.append(process)
    return process


def end(process, grace=5):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def run(arguments, timeout=120, **kwargs):
    return subprocess.run(arguments, capture_output=True, text=True, timeout=timeout, **kwargs)


def free_port():
    """A port below 10000 (the settings dialog takes four digits) that nothing holds."""
    for _ in range(200):
        port = 2000 + int.from_bytes(os.urandom(2), "little") % 8000
        with socket.socket() as probe:
            try:
                probe.bind(("0.0.0.0", port))
                return port
            except OSError:
                continue
    raise ProofFailed("no free port")


def listening(port):
    with socket.socket() as probe:
        probe.settimeout(0.5)
        return probe.connect_ex(("127.0.0.1", port)) == 0


# --- the DICOM peers -----------------------------------------------------

class ListeningProgram:
    """A Linux program of the proof that listens on `self.port` once started."""
    process = None

    def launch(self, arguments, what, timeout, **options):
        self.process = start(arguments, **options)
        if not wait_for(lambda: listening(self.port), timeout):
            raise ProofFailed(f"{what} did not listen")

    def stop(self):
        if self.process:
            end(self.process)
            self.process = None


class Archive(ListeningProgram):
    """storescp on a free port, storing bit for bit what arrives."""

    def __init__(self, root, name, options=()):
        self.folder = Path(root) / name
        self.folder.mkdir()
        self.port = free_port()
        self.options = list(options)
        self.process = None

    def start(self):
        self.launch(["storescp", "+B", "+xa", "-pm", "-pdu", "131072", *self.options,
                     "-od", str(self.folder), str(self.port)], "storescp", 15)

    def take(self, into):
        """Moves what arrived into the folder `into`; {file name: path}."""
        into = Path(into)
        into.mkdir(parents=True, exist_ok=True)
        taken = {}
        for copy in sorted(self.folder.iterdir()):
            taken[copy.name] = copy.rename(into / copy.name)
        return taken


def storescu(port, files, options=()):
    """Sends `files` on one association; (exit status, the store responses as storescu -v prints them)."""
    done = run(["storescu", "-v", "-aet", "SENDER", "-aec", "RELAY", *options, "127.0.0.1", str(port),
                *map(str, files)], timeout=300)
    answers = [line.split(": ", 1)[-1] for line in done.stdout.splitlines() + done.stderr.splitlines()
               if "Store Response" in line or "Association Rejected" in line or "Refused" in line]
    return done.returncode, answers


class SlowLink:
    """A TCP pipe on a free port to 127.0.0.1:`port` that passes on at most
    `rate` bytes a second toward it (answers unhindered): senders on it stay
    mid-image for as long as a proof needs."""

    def __init__(self, port, rate):
        self.target = port
        self.rate = rate
        self.passed = 0
        self.server = socket.create_server(("127.0.0.1", 0))
        self.port = self.server.getsockname()[1]
        self.lock = threading.Lock()
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            try:
                client, _ = self.server.accept()
            except OSError:
                return
            upstream = socket.create_connection(("127.0.0.1", self.target))
            threading.Thread(target=self.pump, args=(client, upstream, True), daemon=True).start()
            threading.Thread(target=self.pump, args=(upstream, client, False), daemon=True).start()

    def pump(self, source, sink, slow):
        try:
            while True:
                data = source.recv(4096 if slow else 65536)
                if not data:
                    break
                sink.sendall(data)
                if slow:
                    with self.lock:
                        self.passed += len(data)
                    time.sleep(len(data) / self.rate)
        except OSError:
            pass
        finally:
            for end_ in (source, sink):
                try:
                    end_.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

    def close(self):
        self.server.close()


# --- the images ------------------------------------------------------------

def dicom_image(folder, name, rows=64, columns=64, frames=1, sop_class="1.2.840.10008.5.1.4.1.1.2"):
    """An uncompressed CT image made with dump2dcm, as the tests make theirs."""
    folder = Path(folder)
    output = folder / name
    pixels = bytearray()
    for y in range(frames * rows):
        for x in range(columns):
            pixels += ((x * 7 + y * 3 + (x ^ y) % 16) & 0x0FFF).to_bytes(2, "little")
    (folder / (name + ".raw")).write_bytes(pixels)
    uid = "1.2.826.0.1.3680043.9.7777.9.%d.%d" % (os.getpid(), int.from_bytes(os.urandom(4), "little"))
    dump = (f"(0002,0010) UI =LittleEndianExplicit\n(0008,0016) UI [{sop_class}]\n(0008,0018) UI [{uid}]\n"
            f"(0008,0060) CS [CT]\n(0010,0010) PN [Test^Patient]\n(0010,0020) LO [QR-WINE-1]\n"
            f"(0020,000d) UI [{uid}.1]\n(0020,000e) UI [{uid}.2]\n(0028,0002) US 1\n"
            f"(0028,0004) CS [MONOCHROME2]\n" + (f"(0028,0008) IS [{frames}]\n" if frames > 1 else "")
            + f"(0028,0010) US {rows}\n(0028,0011) US {columns}\n(0028,0100) US 16\n(0028,0101) US 12\n"
            f"(0028,0102) US 11\n(0028,0103) US 0\n(7fe0,0010) OW ={folder / (name + '.raw')}\n")
    (folder / (name + ".dump")).write_text(dump)
    made = run(["dump2dcm", str(folder / (name + ".dump")), str(output)])
    if made.returncode != 0:
        raise ProofFailed(f"dump2dcm: {made.stderr}")
    return output


def pydicom_files(*arguments):
    done = run([sys.executable, str(PYDICOM_FILES), *map(str, arguments)])
    if done.returncode != 0:
        raise ProofFailed(f"pydicom_files.py {arguments[0]}: {done.stdout}{done.stderr}")
    return done.stdout


def converted(tool, source, output, options=()):
    done = run([tool, *options, str(source), str(output)])
    if done.returncode != 0:
        raise ProofFailed(f"{tool}: {done.stderr}")
    return output


# The character sets the tests stamp in, with the images' Patient's Names.
CHARACTER_SETS = {
    "latin1": ("ISO_IR 100", "Müller^Hans"),
    "none": ("", "Mueller^Hans"),
    "gb18030": ("GB18030", "Wang^XiaoDong=王^小东"),
    "katakana": ("ISO 2022 IR 13\\ISO 2022 IR 87", "ﾔﾏﾀﾞ^ﾀﾛｳ=山田^太郎=やまだ^たろう"),
    "japanese": ("ISO 2022 IR 6\\ISO 2022 IR 87", "Yamada^Tarou=山田^太郎=やまだ^たろう"),
    "japanese-latin1": ("ISO 2022 IR 100\\ISO 2022 IR 87", "Müller^Hans=山田^太郎"),
    "korean": ("\\ISO 2022 IR 149", "Hong^Gildong=洪^吉洞=홍^길동"),
    "utf8": ("ISO_IR 192", "Jürgen^Weiß"),
}


def make_images(folder):
    """{name: (storescu's options, files)}: the CT series; then images made by
    another toolkit (pydicom: group lengths, and every character set the tests
    stamp in, ISO 2022 among them), compressed ones, a plain and a large one."""
    folder = Path(folder)
    folder.mkdir()
    series = [dicom_image(folder, f"ct-{i:02}.dcm") for i in range(20)]
    large = dicom_image(folder, "large.dcm", rows=1024, columns=1024, frames=3)
    plain = dicom_image(folder, "plain.dcm")
    lengths = dicom_image(folder, "lengths.dcm")
    pydicom_files("group-lengths", lengths)
    lengths_named = dicom_image(folder, "lengths-named.dcm")
    pydicom_files("group-lengths", lengths_named, "LONGER^NAME")
    charsets = []
    for name, (charset, patient) in CHARACTER_SETS.items():
        image = dicom_image(folder, f"charset-{name}.dcm")
        pydicom_files("write", image, charset, patient)
        charsets.append(image)
    return {
        "series": ((), series),
        "pydicom's, plain and large": ((), [plain, large, lengths, lengths_named, *charsets]),
        "JPEG lossless": (("-xs",), [converted("dcmcjpeg", plain, folder / "lossless.dcm")]),
        "JPEG baseline": (("-xy",), [converted("dcmcjpeg", plain, folder / "baseline.dcm", ["+eb"])]),
        "RLE": (("-xr",), [converted("dcmcrle", plain, folder / "rle.dcm")]),
        "deflated": (("-xd",), [converted("dcmconv", plain, folder / "deflated.dcm", ["+td"])]),
    }


# --- Settings.ini ----------------------------------------------------------

def settings_text(archive_port, local_port, operators, debug=0):
    """A Settings.ini as a user edits it (Windows-1252, CRLF); operators: (marker, first, surname, code)."""
    lines = ["[Archive]", "AET=ARCHIVE", "IP=127.0.0.1", f"Port={archive_port}",
             "[Local]", "LocalAET=QUORIN", f"LocalPort={local_port}", f"Debugmode={debug}",
             "[Operator]", f"OperatorCount={len(operators)}"]
    lines += [f"Operator{i}={'|'.join(o)}" for i, o in enumerate(operators, 1)]
    return ("\r\n".join(lines) + "\r\n").encode("cp1252")


# --- the Linux build, the reference ---------------------------------------

class LinuxRelay(ListeningProgram):
    def __init__(self, program, root, archive_port):
        self.folder = Path(root) / "linux"
        self.folder.mkdir()
        shutil.copy(program, self.folder / "QuorinRelay")
        self.port = free_port()
        self.archive_port = archive_port
        self.process = None

    def start(self, operators, debug=0):
        self.stop()
        (self.folder / "Settings.ini").write_bytes(settings_text(self.archive_port, self.port, operators, debug))
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        self.launch([str(self.folder / "QuorinRelay")], "the Linux build", 20, cwd=self.folder, env=env)


# --- the Windows build under Wine ------------------------------------------

def wine_environment():
    """Wine as scripts/windows/wine-env.sh sets it up, but without the kit on
    the PATH: the zip must bring everything it loads."""
    env = dict(os.environ)
    env.pop("WINEPATH", None)
    env.setdefault("WINEPREFIX", str(Path.home() / ".cache/quorinrelay/wineprefix"))
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    return env


def xdotool(*arguments):
    return run(["xdotool", *map(str, arguments)], timeout=30).stdout.split()


def window(title, timeout=30):
    """The X window whose title is `title`, once it is shown."""
    pattern = "^" + re.escape(title) + "$"
    found = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", pattern), timeout, 0.2)
    return found[0] if found else None


def keys(*names):
    """Keys as a user presses them, to the window that has the focus."""
    for name in names:
        xdotool("key", "--clearmodifiers", name)
        time.sleep(0.15)


def type_text(text):
    xdotool("type", "--delay", "60", text)
    time.sleep(0.15)


def focus(window_id):
    """Gives the window the keyboard, as a click into it would (no window manager runs)."""
    xdotool("windowfocus", "--sync", window_id)


def shown(title):
    return bool(xdotool("search", "--onlyvisible", "--name", "^" + re.escape(title) + "$"))


def click(window_id, control):
    """A left click on the middle of `control` of the main window: its (left,
    top, width, height) in twips on the client area, below the menu bar."""
    left, top, width, height = control
    geometry = dict(line.strip().split(": ", 1) for line in run(["xdotool", "getwindowgeometry", "--shell",
                                                                 window_id]).stdout.replace("=", ": ").splitlines())
    menu_bar = int(geometry["HEIGHT"]) - MAIN_CLIENT_HEIGHT // 15
    xdotool("mousemove", "--window", window_id, (left + width // 2) // 15, menu_bar + (top + height // 2) // 15,
            "click", "1")
    time.sleep(0.3)


class WindowsRelay:
    def __init__(self, zip_path, root):
        unpacked = Path(root) / "windows"
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(unpacked)
        self.folder = unpacked / "QuorinRelay"
        self.process = None
        self.main = None

    def start(self):
        self.process = start(["wine", str(self.folder / "QuorinRelay.exe")], cwd=self.folder,
                             env=wine_environment())
        self.main = window(CAPTION, 60)
        return self.main

    def settings(self):
        return (self.folder / "Settings.ini").read_bytes()

    def dismiss_transfer_messages(self):
        """Answers every transfer message open now with Enter; how many there were."""
        boxes = xdotool("search", "--onlyvisible", "--name", "^" + re.escape(TRANSFER_FAILED) + "$")
        for box in boxes:
            focus(box)
            keys("Return")
        return len(boxes)

    def close(self):
        """Alt+F4 on the main window, as a user closes it; seconds until the program ended."""
        focus(self.main)
        began = time.monotonic()
        keys("alt+F4")
        ended = wait_for(lambda: self.process.poll() is not None, 60)
        return time.monotonic() - began if ended else None


# --- the user's steps ------------------------------------------------------

def fill_settings(relay, archive_port, local_port):
    """Einstellungen from the menu bar by keys (Alt, then its second item),
    the five boxes typed, each reached with Tab; OK with Enter."""
    focus(relay.main)
    keys("alt", "Right", "Return")
    dialog = window("Einstellungen")
    check(dialog, "the settings dialog opens from the menu")
    focus(dialog)
    for text in ("ARCHIVE", "127.0.0.1", str(archive_port), "QUORIN"):
        type_text(text)
        keys("Tab")
    type_text(str(local_port))
    keys("Return")
    return wait_for(lambda: not shown("Einstellungen"), 15)


def add_operator(relay, first, surname, code):
    """Neu clicked; the three boxes typed; Anlegen with Enter."""
    click(relay.main, NEW)
    dialog = window("Neu anlegen")
    check(dialog, "Neu opens the dialog 'Neu anlegen'")
    focus(dialog)
    type_text(first)
    keys("Tab")
    type_text(surname)
    keys("Tab")
    type_text(code)
    keys("Return")
    return wait_for(lambda: not shown("Neu anlegen"), 15)


def tick_first_operator(relay):
    """The first row clicked, then ticked with Space."""
    click(relay.main, FIRST_ROW)
    keys("space")


def operators_in(settings):
    return [line for line in settings.decode("cp1252").split("\r\n") if line.startswith("Operator")]


def relay_both(name, options, files, archive, linux, windows_port, root):
    """`files` through the Linux build, then through the Windows build: the same answers, all stored, the same bytes."""
    linux_code, linux_answers = storescu(linux.port, files, options)
    linux_copies = archive.take(Path(root) / "copies" / "linux" / name)
    code, answers = storescu(windows_port, files, options)
    copies = archive.take(Path(root) / "copies" / "windows" / name)
    check(code == linux_code == 0 and answers == linux_answers,
          f"{name}: the sender hears what it hears through the Linux build", f"{answers} / {linux_answers}")
    check(len(copies) == len(files) and copies.keys() == linux_copies.keys(), f"{name}: all {len(files)} stored",
          f"{len(copies)} of {len(files)}")
    differing = [n for n in copies if copies[n].read_bytes() != linux_copies[n].read_bytes()]
    check(not differing, f"{name}: the copies equal those the Linux build relays", ", ".join(differing))
    return copies


def stamps(copies):
    """Operators' Name of each copy as pydicom reads it."""
    return {str(pydicom.dcmread(path).get("OperatorsName", "")) for path in copies.values()}


def fails_both_ways(name, archive_state, files, linux, windows, windows_port):
    """With the archive `archive_state`: each relay answers its sender as the Linux build does."""
    answers = {}
    for label, port in (("linux", linux.port), ("windows", windows_port)):
        sender = subprocess.Popen(["storescu", "-v", "-aet", "SENDER", "-aec", "RELAY", "127.0.0.1", str(port),
                                   *map(str, files)], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        started.append(sender)
        shown = 0
        # The transfer message of either build is answered as it appears.
        while sender.poll() is None:
            shown += windows.dismiss_transfer_messages()
            time.sleep(0.2)
        output = sender.stdout.read()
        answers[label] = (sender.returncode, [l.split(": ", 1)[-1] for l in output.splitlines() if "Store Response" in l])
        if label == "windows":
            wait_for(lambda: windows.dismiss_transfer_messages(), 10)
    check(answers["windows"] == answers["linux"] and answers["windows"][0] != 0,
          f"archive {archive_state}: the sender hears what it hears through the Linux build",
          f"{answers['windows']} / {answers['linux']}")


def proof(zip_path, linux_program):
    root = Path(tempfile.mkdtemp(prefix="quorin-wine-"))
    try:
        images = make_images(root / "images")
        archive = Archive(root, "archive")
        archive.start()
        linux = LinuxRelay(linux_program, root, archive.port)
        windows = WindowsRelay(zip_path, root)
        port = free_port()

        # A fresh folder: the settings dialog writes Settings.ini, an
        # operator is added and ticked, Start listens.
        check(windows.start(), f"the main window appears with its caption '{CAPTION}'")
        check(not (windows.folder / "Settings.ini").exists(), "no Settings.ini before the dialog writes it")
        check(fill_settings(windows, archive.port, port), "OK closes the settings dialog")
        written = windows.settings()
        check(written.count(b"\n") == written.count(b"\r\n") > 0 and written.endswith(b"\r\n"),
              "Settings.ini has CRLF line ends")
        written.decode("cp1252")
        for line in (b"AET=ARCHIVE", b"IP=127.0.0.1", b"Port=%d" % archive.port, b"LocalAET=QUORIN",
                     b"LocalPort=%d" % port):
            check(b"\r\n" + line + b"\r\n" in written, f"Settings.ini beside the exe holds {line.decode()}")
        check(add_operator(windows, "Max", "Muster", "mm"), "Anlegen closes the dialog")
        tick_first_operator(windows)
        click(windows.main, START_STOP)
        check(wait_for(lambda: listening(port), 20), "with an operator ticked, Start listens")

        # The CT series, stamped MM, as the Linux build relays it.
        linux.start([("Checked", "Max", "Muster", "MM")])
        options, files = images["series"]
        copies = relay_both("CT series", options, files, archive, linux, port, root)
        check(stamps(copies) == {"MM"}, "CT series: (0008,1070) stamped MM")

        # The archive refusing associations, then down.
        archive.stop()
        refusing = Archive(root, "refusing", ["--refuse"])
        refusing.port = archive.port
        refusing.start()
        fails_both_ways("refusing", "refusing", files[:2], linux, windows, port)
        refusing.stop()
        fails_both_ways("down", "down", files[:2], linux, windows, port)
        archive.start()

        check(windows.close() is not None, "the program ends when its window is closed")
        saved = operators_in(windows.settings())
        check(sorted(saved) == ["Operator1=Checked|Max|Muster|MM", "OperatorCount=1"], "the operator list is saved",
              str(saved))

        # Debugmode=1 set by editing the file, a second operator on duty
        # with a stamp beyond ASCII; the program started again starts
        # listening by itself. On another port: Wine, unlike Windows, lets
        # no program listen on a port whose connections wait out TIME_WAIT.
        operators = [("", "Max", "Muster", "MM"), ("Checked", "Jürgen", "Weiß", "MÜ")]
        port = free_port()
        (windows.folder / "Settings.ini").write_bytes(settings_text(archive.port, port, operators, debug=1))
        linux.start(operators, debug=1)
        check(windows.start(), "started again with Settings.ini")
        check(wait_for(lambda: listening(port), 20), "it listens by itself")
        sent = 0
        for name, (options, files) in images.items():
            if name == "series":
                continue
            copies = relay_both(name, options, files, archive, linux, port, root)
            check(stamps(copies) == {"MÜ"}, f"{name}: (0008,1070) reads MÜ in every character set")
            sent += len(files)
        # The last line of an image may follow its sender's answer.
        def whole_log(folder):
            path = folder / "Log" / "Debug.txt"
            wait_for(lambda: path.read_bytes().count(b"\n") >= 3 * sent, 10)
            return path.read_bytes()
        log = whole_log(windows.folder)
        lines = log.split(b"\r\n")
        check(log.endswith(b"\r\n") and b"\n" not in log.replace(b"\r\n", b""), "Log\\Debug.txt has CRLF line ends")
        check(len(lines) - 1 == 3 * sent, f"Log\\Debug.txt: three lines per image ({sent} images)",
              f"{len(lines) - 1} lines")
        untimed = lambda text: re.sub(rb"^\d\d\.\d\d\.\d{4}( \d\d:\d\d:\d\d)? - ", b"", text, flags=re.M)
        linux_log = whole_log(linux.folder)
        check(untimed(log) == untimed(linux_log), "Log\\Debug.txt says what the Linux build's says")

        # Max ticked instead (the list has the focus), then the window
        # closed while four senders are mid-image: it ends at once, and the
        # operator list it saves on the way has the tick where it was put.
        tick_first_operator(windows)
        links = [SlowLink(port, 1_000_000) for _ in range(4)]
        large = images["pydicom's, plain and large"][1][1]
        senders = [start(["storescu", "-aet", "SENDER", "-aec", "RELAY", "127.0.0.1", str(link.port), str(large)])
                   for link in links]
        check(wait_for(lambda: all(link.passed > 1_000_000 for link in links), 60), "four senders mid-image")
        seconds = windows.close()
        check(seconds is not None and seconds < 5, "closing while four senders are mid-image ends at once",
              f"{seconds:.1f} s" if seconds else "not within 60 s")
        print(f"   (ended {seconds:.2f} s after Alt+F4)")
        check(all(wait_for(lambda: sender.poll() is not None, 30) and sender.returncode != 0 for sender in senders),
              "each of them hears its image failed")
        saved = operators_in(windows.settings())
        check(sorted(saved) == ["Operator1=Checked|Max|Muster|MM", "Operator2=|Jürgen|Weiß|MÜ", "OperatorCount=2"],
              "the operator list is saved", str(saved))
        for link in links:
            link.close()
        return 0
    finally:
        for process in reversed(started):
            end(process)
        shutil.rmtree(root, ignore_errors=True)


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        return proof(sys.argv[1], sys.argv[2])
    except ProofFailed as failure:
        print(f"FAILED: {failure}", flush=True)
        return 1


if __name__ == "__main__":
    sys.exit(main())
