#!/usr/bin/python3
"""Prints a delivered mail decoded, as a reader sees it: header, body, attachments.

    show_mail.py MESSAGE

MESSAGE is one delivered file (a Maildir file). Display names, subject and attachment names are
decoded from their encoded words, the body from ISO-2022-JP; attachments are listed with their
sizes. The mail is read exactly as the interop suite's checker reads it.
"""
import os
import sys
import unicodedata

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "interop"))
import check_mail  # noqa: E402  (the checker's reading of a delivered mail)

INDENT = "    "


def show_addresses(message, name):
    addresses = check_mail.address_list(message, name)
    if addresses is None:
        return None
    return ", ".join("%s <%s>" % (a["name"], a["address"]) if a["name"] else a["address"] for a in addresses)


def display_width(text):
    """Columns on a terminal: East Asian wide characters take two."""
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def text_of(part):
    raw = part.get_payload(decode=True) or b""
    charset = part.get_content_charset() or "us-ascii"
    return raw.decode(charset, "replace").replace("\r\n", "\n").rstrip("\n")


def main(argv):
    if len(argv) != 1:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[0], "rb") as f:
        message = check_mail.email.message_from_binary_file(f, policy=check_mail.email.policy.default)

    for name in ("From", "To", "Cc"):
        shown = show_addresses(message, name)
        if shown is not None:
            print("%-9s%s" % (name + ":", shown))
    print("%-9s%s" % ("Subject:", message["Subject"] or ""))
    print("%-9s%s" % ("Date:", message["Date"] or ""))
    if message["Bcc"] is not None:
        print("%-9s%s   (should not be there!)" % ("Bcc:", message["Bcc"]))

    parts = list(message.iter_parts()) if message.is_multipart() else [message]
    print("\nBody (%s; charset=%s):" % (parts[0].get_content_type(), parts[0].get_content_charset()))
    for line in text_of(parts[0]).split("\n"):
        print(INDENT + line)

    if len(parts) > 1:
        print("\nAttachments:")
        names = [check_mail.disposition_filename(part) or "(no name)" for part in parts[1:]]
        width = max(display_width(name) for name in names)
        for name, part in zip(names, parts[1:]):
            size = len(part.get_payload(decode=True) or b"")
            print("%s%s%s %8d bytes" % (INDENT, name, " " * (width - display_width(name)), size))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
