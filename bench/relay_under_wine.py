#!/usr/bin/python3
"""Relay against direct under Wine, on loopback: 200 images of 512 KB on one
association, sent by Linux storescu straight into Linux storescp, through
the Windows build (its zip, under Wine) and through the Linux build. Prints
the median of each path over the rounds and the relay/direct ratios. For
information: Wine's sockets and scheduling are not Windows'.

    xvfb-run -a python3 bench/relay_under_wine.py <zip> <Linux QuorinRelay> [rounds]
"""
import os
import shutil
import statistics
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "windows"))
import proof_under_wine as proof  # noqa: E402

IMAGES = 200
SIDE = 512  # 512 x 512 pixels of 16 bits: 512 KB


def timed_send(port, files, archive, root):
    began = time.monotonic()
    code, _ = proof.storescu(port, files)
    seconds = time.monotonic() - began
    stored = archive.take(Path(root) / "taken" / str(time.monotonic_ns()))
    if code != 0 or len(stored) != len(files):
        raise proof.ProofFailed(f"{len(stored)} of {len(files)} stored")
    return seconds


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    # As the relay does for its own sockets: storescu and storescp read it,
    # and without it each image on the direct path waits for a delayed ACK.
    os.environ["TCP_NODELAY"] = "1"
    root = Path(tempfile.mkdtemp(prefix="quorin-wine-bench-"))
    try:
        folder = root / "images"
        folder.mkdir()
        files = [proof.dicom_image(folder, f"img-{i:03}.dcm", rows=SIDE, columns=SIDE) for i in range(IMAGES)]
        archive = proof.Archive(root, "archive")
        archive.start()
        operators = [("Checked", "Max", "Muster", "MM")]
        linux = proof.LinuxRelay(sys.argv[2], root, archive.port)
        linux.start(operators)
        windows = proof.WindowsRelay(sys.argv[1], root)
        port = proof.free_port()
        (windows.folder / "Settings.ini").write_bytes(proof.settings_text(archive.port, port, operators))
        windows.start()
        if not proof.wait_for(lambda: proof.listening(port), 30):
            raise proof.ProofFailed("the Windows build did not listen")
        timings = {"direct": [], "Windows build under Wine": [], "Linux build": []}
        timed_send(port, files[:5], archive, root)  # Wine's first association pays for loading
        for _ in range(rounds):
            timings["direct"].append(timed_send(archive.port, files, archive, root))
            timings["Windows build under Wine"].append(timed_send(port, files, archive, root))
            timings["Linux build"].append(timed_send(linux.port, files, archive, root))
        direct = statistics.median(timings["direct"])
        print(f"{IMAGES} x {SIDE * SIDE * 2 // 1024} KB on loopback, median of {rounds} rounds:")
        for path, seconds in timings.items():
            median = statistics.median(seconds)
            print(f"  {path:26} {median:6.2f} s  relay/direct {median / direct:5.2f}")
        return 0
    except proof.ProofFailed as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        for process in reversed(proof.started):
            proof.end(process)
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
