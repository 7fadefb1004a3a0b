#!/usr/bin/python3
"""Prints a delivered mail decoded, as a reader sees it: header, body, attachments.

    show_mail.py MESSAGE

MESSAGE is one delivered file (a Maildir file). Display names, subject and attachment names are
decoded from their encoded words, the body from its charset; attachments are listed with their
sizes and the first 12 hex digits of their SHA-256, so their bytes can be compared. Lines of the
raw mail longer than 998 characters (RFC 5322 2.1.1) and a Bcc header are reported.
"""
import email
import email.header
import email.policy
import hashlib
import re
import sys
import unicodedata

INDENT = "    "
LINE_LIMIT = 998  # characters of a header or body line, CR LF excluded (RFC 5322 2.1.1)


def addresses(message, name):
    header = message[name]
    if header is None:
        return None
    return ", ".join("%s <%s>" % (a.display_name, a.addr_spec) if a.display_name else a.addr_spec
                     for a in header.addresses)


def attachment_name(part):
    """The filename parameter of Content-Disposition, read raw (an encoded word in it is not a
    valid MIME token for the parser) and decoded."""
    raw = part.get_all("Content-Disposition", [""])[0]
    match = re.search(r'filename\s*=\s*"?([^";]*)', str(raw), re.I)
    if match is None:
        return "(no name)"
    return str(email.header.make_header(email.header.decode_header(match.group(1))))


def width(text):
    """Columns on a terminal: East Asian wide characters take two."""
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def main(argv):
    if len(argv) != 1:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[0], "rb") as f:
        raw = f.read()
    message = email.message_from_bytes(raw, policy=email.policy.default)
    for name in ("From", "To", "Cc", "Bcc"):
        shown = addresses(message, name)
        if shown is not None:
            print("%-9s%s%s" % (name + ":", shown, "   (should not be there!)" if name == "Bcc" else ""))
    print("%-9s%s" % ("Subject:", message["Subject"] or ""))
    print("%-9s%s" % ("Date:", message["Date"] or ""))
    for line in raw.split(b"\n"):
        if len(line.rstrip(b"\r")) > LINE_LIMIT:
            print("Line of %d characters (more than %d): %s..." % (len(line), LINE_LIMIT, line[:40]))

    parts = list(message.iter_parts()) if message.is_multipart() else [message]
    body = parts[0].get_payload(decode=True) or b""
    charset = parts[0].get_content_charset() or "us-ascii"
    print("\nBody (%s; charset=%s):" % (parts[0].get_content_type(), charset))
    for line in body.decode(charset, "replace").replace("\r\n", "\n").rstrip("\n").split("\n"):
        print(INDENT + line)
    if len(parts) > 1:
        print("\nAttachments:")
        names = [attachment_name(part) for part in parts[1:]]
        column = max(width(name) for name in names)
        for name, part in zip(names, parts[1:]):
            data = part.get_payload(decode=True) or b""
            print("%s%s%s %8d bytes  sha256 %s" % (INDENT, name, " " * (column - width(name)), len(data),
                                                   hashlib.sha256(data).hexdigest()[:12]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
