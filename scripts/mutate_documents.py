#!/usr/bin/env python3
"""Mutation trial of the whole command line on damaged documents.

Takes the documents of a folder, makes mutants of them (bytes flipped,
runs of bytes overwritten or repeated, the file cut short, numbers in the
text changed) and runs vellumin-cli on each in a fresh output folder. Counts
the runs by how they ended and keeps every mutant that made a sanitizer
speak, a worker die of a signal the run did not expect, or the command line
itself crash, with the command line's output beside it.

    scripts/mutate_documents.py --cli build-asan/cli/vellumin-cli \
        --corpus ../shared/corpus --count 1000 --keep /tmp/mutants

Exit status 1 when any mutant was kept.
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

SANITIZER_WORDS = ("AddressSanitizer", "LeakSanitizer", "runtime error:", "UndefinedBehaviorSanitizer")


def mutate(data: bytes, rng: random.Random) -> bytes:
    data = bytearray(data)
    for _ in range(rng.randint(1, 8)):
        if not data:
            break
        kind = rng.randrange(5)
        at = rng.randrange(len(data))
        if kind == 0:  # a few bits flipped
            data[at] ^= 1 << rng.randrange(8)
        elif kind == 1:  # a run overwritten with one byte
            length = rng.randint(1, 64)
            data[at:at + length] = bytes([rng.choice((0, 0xFF, 0x20, 0x30))]) * length
        elif kind == 2:  # a run repeated
            length = rng.randint(1, 256)
            data[at:at] = data[at:at + length]
        elif kind == 3:  # cut short
            del data[max(1, at):]
        else:  # a number of the text made absurd
            match = re.compile(rb"\d+").search(bytes(data), at)
            if match:
                data[match.start():match.end()] = str(rng.choice((0, -1, 2**31, 2**63, 99999999))).encode()
    return bytes(data)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--count", type=int, default=200)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--keep", default="mutants")
    parser.add_argument("--format", default="png")
    parser.add_argument("extra", nargs="*", help="more options for vellumin-cli")
    args = parser.parse_args()

    sources = sorted(os.path.join(args.corpus, name) for name in os.listdir(args.corpus)
                     if name.lower().endswith(".pdf") and os.path.getsize(os.path.join(args.corpus, name)) < 4 << 20)
    rng = random.Random(args.seed)
    statuses, kept = {}, 0
    os.makedirs(args.keep, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for index in range(args.count):
            source = rng.choice(sources)
            mutant = os.path.join(work, "mutant.pdf")
            with open(source, "rb") as original, open(mutant, "wb") as out:
                out.write(mutate(original.read(), rng))
            folder = os.path.join(work, "out")
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            command = [args.cli, "-f", args.format, "--time-limit", "10", "-o", folder, *args.extra, mutant]
            try:
                run = subprocess.run(command, capture_output=True, timeout=120)
                status, text = run.returncode, (run.stdout + run.stderr).decode(errors="replace")
            except subprocess.TimeoutExpired:
                status, text = "hang", "the command line did not end in 120 s"
            statuses[status] = statuses.get(status, 0) + 1
            bad = status == "hang" or (isinstance(status, int) and status < 0) or \
                any(word in text for word in SANITIZER_WORDS) or "sandbox" in text
            if bad:
                kept += 1
                name = os.path.join(args.keep, f"mutant-{args.seed}-{index}")
                shutil.copy(mutant, name + ".pdf")
                with open(name + ".txt", "w") as log:
                    log.write(f"from {source}\n{' '.join(command)}\nstatus {status}\n{text}")
    print(f"{args.count} mutants: " + ", ".join(f"exit {k}: {v}" for k, v in sorted(statuses.items(), key=str)))
    print(f"{kept} kept in {args.keep}")
    return 1 if kept else 0


if __name__ == "__main__":
    sys.exit(main())
