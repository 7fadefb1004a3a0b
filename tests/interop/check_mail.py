#!/usr/bin/python3
"""Compares mail delivered by a real server with what the job asked for.

    check_mail.py EXPECT.json MESSAGE [MESSAGE...] [--all-copies]

EXPECT.json (UTF-8) holds what a reader of the mail must see:

    {"from": {"name": "山田 太郎", "address": "taro@example.test"},
     "to":  [{"name": "", "address": "ops@example.test"}, ...],
     "cc":  [...],                       # no Cc header when empty
     "bcc": [...],                       # must receive a copy, must appear in no header
     "refused": ["addr", ...],           # optional: recipients the server refused (no copy)
     "subject": "...",
     "body": "line\\nline\\n",          # lines as the reader sees them
     "attachments": [{"name": "報告.txt", "path": "/file/with/the/expected/bytes"}, ...]}

Each MESSAGE is one delivered file (a Maildir file, as Postfix stored it). It is parsed with
Debian's python3 `email` package (policy.default) and compared: From, To and Cc display names and
addresses, no Bcc header, the subject, the Date, the MIME layout, the body text and every
attachment's decoded name and exact bytes. With --all-copies the MESSAGE files are every copy the
server delivered: their Delivered-To headers must name each To, Cc and Bcc recipient that was
not refused exactly once.

Prints every difference found and exits 1 when there is one (2 on a usage error); exits 0 and
prints one line when everything matches.
"""
import difflib
import email
import email.errors
import email.header
import email.policy
import json
import re
import sys

# Header lines the receiving server adds; everything else was written by the sender.
SERVER_HEADERS = {"return-path", "delivered-to", "x-original-to", "received", "message-id"}
CHARSET = "iso-2022-jp"
BYTES_SHOWN = 16  # bytes shown around the first difference of an attachment


class Report:
    def __init__(self):
        self.problems = []

    def add(self, where, field, expected, received):
        self.problems.append("%s: %s\n    expected: %s\n    received: %s" % (where, field, expected, received))

    def note(self, where, text):
        self.problems.append("%s: %s" % (where, text))


def raw_header(message, name):
    """A header's value as the bytes that were on the wire (the parser keeps 8-bit bytes escaped);
    empty when the header is absent."""
    for key, value in message.raw_items():
        if key.lower() == name.lower():
            return value.encode("ascii", "surrogateescape")
    return b""


def address_list(message, name):
    header = message[name]
    if header is None:
        return None
    return [{"name": a.display_name, "address": a.addr_spec} for a in header.addresses]


def show_addresses(addresses):
    if addresses is None:
        return "(no header)"
    if not addresses:
        return "(empty)"
    return ", ".join("%r <%s>" % (a["name"], a["address"]) for a in addresses)


def check_addresses(report, where, message, expect):
    sender = address_list(message, "From")
    if sender != [expect["from"]]:
        report.add(where, "From", show_addresses([expect["from"]]), show_addresses(sender))
    to = address_list(message, "To")
    if to is None or to != expect["to"]:
        report.add(where, "To", show_addresses(expect["to"]), show_addresses(to))
    cc = address_list(message, "Cc")
    expected_cc = expect.get("cc") or None
    if cc != expected_cc:
        report.add(where, "Cc", show_addresses(expected_cc), show_addresses(cc))
    if message["Bcc"] is not None:
        report.add(where, "Bcc header", "(none)", str(message["Bcc"]))
    sender_headers = b"\n".join(v.encode("ascii", "surrogateescape")
                                for k, v in message.raw_items() if k.lower() not in SERVER_HEADERS)
    for hidden in expect.get("bcc", []):
        if hidden["address"].encode("ascii").lower() in sender_headers.lower():
            report.note(where, "Bcc address %s appears in the header" % hidden["address"])


def check_header_fields(report, where, message, expect):
    subject = message["Subject"]
    if subject is None or str(subject) != expect["subject"]:
        report.add(where, "Subject", repr(expect["subject"]), "(no header)" if subject is None else repr(str(subject)))
    date = message["Date"]
    if date is None or getattr(date, "datetime", None) is None:
        report.add(where, "Date", "a valid date", "(no header)" if date is None else repr(str(date)))


def check_text_part(report, where, part, expected_body):
    if part.get_content_type() != "text/plain" or part.get_content_charset() != CHARSET:
        report.add(where, "body part type", "text/plain; charset=" + CHARSET,
                   "%s; charset=%s" % (part.get_content_type(), part.get_content_charset()))
        return
    raw = part.get_payload(decode=True)
    if any(byte >= 0x80 for byte in raw):
        report.note(where, "body is not 7-bit ISO-2022-JP (holds bytes >= 0x80)")
    try:
        body = raw.decode(CHARSET)
    except UnicodeDecodeError as error:
        report.note(where, "body does not decode as ISO-2022-JP: %s" % error)
        return
    # Line ends as a reader sees them; empty lines at the very end are not compared, because the
    # end-of-data mark and the closing boundary each begin with a line end of their own.
    received = body.replace("\r\n", "\n").rstrip("\n")
    expected = expected_body.rstrip("\n")
    if received != expected:
        diff = difflib.unified_diff(expected.split("\n"), received.split("\n"),
                                    "expected body", "received body", lineterm="")
        report.note(where, "body differs\n    " + "\n    ".join(diff))


def disposition_filename(part):
    """The attachment name as a mail reader shows it: the filename parameter of
    Content-Disposition with its encoded words decoded. The parameter is read from the raw
    header text, because an unquoted encoded word is not a valid MIME token for the parser."""
    header = raw_header(part, "Content-Disposition").decode("ascii", "replace")
    match = re.search(r'(?:^|;)\s*filename\s*=\s*("(?:[^"\\]|\\.)*"|[^;]*)', header, re.I)
    if match is None:
        return None
    value = match.group(1).strip()
    if value.startswith('"'):
        value = value[1:-1]
    return str(email.header.make_header(email.header.decode_header(value)))


def content_type_name(part):
    """The name parameter of Content-Type: plain Shift-JIS bytes, or encoded words."""
    match = re.search(rb'(?:^|;)\s*name\s*=\s*([^;]*)', raw_header(part, "Content-Type"), re.I)
    if match is None:
        return None
    value = match.group(1).strip().strip(b'"')
    if value.startswith(b"=?"):
        return str(email.header.make_header(email.header.decode_header(value.decode("ascii", "replace"))))
    return value.decode("cp932", "replace")


def first_difference(expected, received):
    for offset, (a, b) in enumerate(zip(expected, received)):
        if a != b:
            return offset
    return min(len(expected), len(received))


def check_attachment(report, where, part, expect):
    label = "attachment %r" % expect["name"]
    name = disposition_filename(part)
    if name != expect["name"]:
        report.add(where, label + ": Content-Disposition filename", repr(expect["name"]), repr(name))
    plain_name = content_type_name(part)
    if plain_name != expect["name"]:
        report.add(where, label + ": Content-Type name (Shift-JIS)", repr(expect["name"]), repr(plain_name))
    if part.get("Content-Transfer-Encoding", "").lower() != "base64":
        report.add(where, label + ": transfer encoding", "base64", part.get("Content-Transfer-Encoding"))
    data = part.get_payload(decode=True) or b""
    defects = [d for d in part.defects if isinstance(d, (email.errors.InvalidBase64PaddingDefect,
                                                         email.errors.InvalidBase64CharactersDefect,
                                                         email.errors.InvalidBase64LengthDefect))]
    if defects:
        report.note(where, "%s: broken base64: %s" % (label, ", ".join(type(d).__name__ for d in defects)))
    with open(expect["path"], "rb") as f:
        wanted = f.read()
    if data != wanted:
        offset = first_difference(wanted, data)
        report.add(where, "%s: content (%d bytes expected, %d received, first difference at byte %d)"
                   % (label, len(wanted), len(data), offset),
                   wanted[offset:offset + BYTES_SHOWN].hex(" "), data[offset:offset + BYTES_SHOWN].hex(" "))


def check_layout(report, where, message, expect):
    attachments = expect.get("attachments", [])
    if not attachments:
        if message.is_multipart():
            report.add(where, "layout", "a single text/plain part", message.get_content_type())
            return
        check_text_part(report, where, message, expect["body"])
        return
    if message.get_content_type() != "multipart/mixed":
        report.add(where, "layout", "multipart/mixed", message.get_content_type())
        return
    parts = list(message.iter_parts())
    if len(parts) != 1 + len(attachments):
        report.add(where, "number of MIME parts", 1 + len(attachments), len(parts))
        return
    check_text_part(report, where, parts[0], expect["body"])
    for part, wanted in zip(parts[1:], attachments):
        check_attachment(report, where, part, wanted)


def check_copies(report, messages, expect):
    refused = {address.lower() for address in expect.get("refused", [])}
    wanted = sorted({a["address"].lower() for kind in ("to", "cc", "bcc") for a in expect.get(kind, [])} - refused)
    got = sorted(str(m["Delivered-To"] or "(none)").lower() for _, m in messages)
    if got != wanted:
        report.add("delivery", "one copy per recipient (Delivered-To)", ", ".join(wanted), ", ".join(got))


def main(argv):
    all_copies = "--all-copies" in argv
    args = [a for a in argv if a != "--all-copies"]
    if len(args) < 2 or any(a.startswith("-") for a in args):
        sys.stderr.write(__doc__)
        return 2
    with open(args[0], encoding="utf-8") as f:
        expect = json.load(f)
    messages = []
    for path in args[1:]:
        with open(path, "rb") as f:
            messages.append((path, email.message_from_binary_file(f, policy=email.policy.default)))
    report = Report()
    for path, message in messages:
        check_addresses(report, path, message, expect)
        check_header_fields(report, path, message, expect)
        check_layout(report, path, message, expect)
    if all_copies:
        check_copies(report, messages, expect)
    if report.problems:
        print("MISMATCH between the delivered mail and the job:")
        print("\n".join(report.problems))
        return 1
    print("ok: %d delivered message(s) match the job" % len(messages))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
