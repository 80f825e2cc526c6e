#!/usr/bin/env python3
"""Sanity checks for the example question modules.

Run from anywhere:  python3 examples/media-src/check_csv.py
Exits with status 1 and lists every problem found, or prints a summary.
"""
import csv
import io
import os
import sys

EXAMPLES = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HEADER = ["Question", "Reponce", "False1", "False2", "False3", "Points", "Audio"]
MEDIA_EXTENSIONS = ("wav", "mid", "mp3", "gif", "bmp", "ico")
# module folder -> (media name prefix, minimum number of questions)
MODULES = {"general": ("gk-", 65), "science": ("sc-", 15)}
MAX_QUESTION, MAX_ANSWER = 110, 35   # what fits the question box / answer panel


def read_rows(path, problems):
    raw = open(path, "rb").read()
    if raw.startswith(b"\xef\xbb\xbf"):
        problems.append("%s: starts with a UTF-8 BOM" % path)
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        problems.append("%s: not UTF-8 (%s)" % (path, e))
        return []
    return list(csv.reader(io.StringIO(text, newline="")))


def check_row(where, row, folder, prefix, problems):
    if len(row) != 7:
        problems.append("%s: %d fields instead of 7" % (where, len(row)))
        return
    question, answers, points, media = row[0], row[1:5], row[5], row[6]
    if not question.strip() or not all(a.strip() for a in answers):
        problems.append("%s: empty question or answer" % where)
    if len({a.strip().casefold() for a in answers}) != 4:
        problems.append("%s: answers are not all different: %r" % (where, answers))
    if len(question) > MAX_QUESTION:
        problems.append("%s: question longer than %d characters" % (where, MAX_QUESTION))
    for a in answers:
        if len(a) > MAX_ANSWER:
            problems.append("%s: answer %r longer than %d characters" % (where, a, MAX_ANSWER))
    if not points[:1].isdigit() or not points.isdigit():
        problems.append("%s: points %r is not a whole number" % (where, points))
    if media:
        if not media.startswith(prefix) or not media.isascii() or " " in media:
            problems.append("%s: media name %r must be ASCII, without spaces, start with %r"
                            % (where, media, prefix))
        if media.rsplit(".", 1)[-1] not in MEDIA_EXTENSIONS:
            problems.append("%s: media %r has an unsupported extension" % (where, media))
        if not os.path.isfile(os.path.join(folder, media)):
            problems.append("%s: media file %r is missing" % (where, media))


def check_module(name, prefix, minimum, problems):
    folder = os.path.join(EXAMPLES, name)
    path = os.path.join(folder, "questions.csv")
    rows = read_rows(path, problems)
    if not rows:
        problems.append("%s: empty or unreadable" % path)
        return 0, []
    if rows[0] != HEADER:
        problems.append("%s: header is %r" % (path, rows[0]))
    body = rows[1:]
    if len(body) < minimum:
        problems.append("%s: %d questions, at least %d expected" % (path, len(body), minimum))
    seen = set()
    for number, row in enumerate(body, start=2):
        where = "%s/questions.csv line %d" % (name, number)
        check_row(where, row, folder, prefix, problems)
        if row and row[0] in seen:
            problems.append("%s: duplicate question" % where)
        seen.add(row[0] if row else "")
    used = {row[6] for row in body if len(row) == 7 and row[6]}
    for f in sorted(os.listdir(folder)):
        if f != "questions.csv" and f not in used:
            problems.append("%s: file %r is not used by any question" % (name, f))
    return len(body), sorted(used)


def main():
    problems, all_media = [], []
    for name, (prefix, minimum) in MODULES.items():
        count, media = check_module(name, prefix, minimum, problems)
        all_media += media
        print("%-8s %3d questions, %d media: %s" % (name, count, len(media), " ".join(media)))
    if len(all_media) != len(set(all_media)):
        problems.append("a media file name is used by more than one module")
    for p in problems:
        print("PROBLEM:", p)
    if problems:
        sys.exit(1)
    print("all checks passed")


if __name__ == "__main__":
    main()
