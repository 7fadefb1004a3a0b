#!/usr/bin/python3
"""Sends a reference mail, byte for byte in Fernpost's wire format, to an SMTP server on 127.0.0.1:25.

    send_reference.py EXPECT.json [--bcc-header] [--bare-lf]

The mail is built from the same expectation file that check_mail.py reads: sender, To, Cc and
Bcc recipients, subject, body and attachments (name and content file). It lets the interop suite
prove its own harness (private Postfix, delivery wait, checker) independently of the program.
--bcc-header adds a Bcc header line (a fault the checker must report); --bare-lf ends the body
lines with a bare LF (a fault the strict server must refuse).

Prints the server's reply to the end of data, or to the first command it refused, and exits 0
only when the mail was accepted (250).
"""
import base64
import json
import socket
import sys
import time

BOUNDARY = "#BOUNDARY#"
BASE64_LINE_LENGTH = 76  # characters per base64 line, RFC 2045 section 6.8
SMTP_PORT = 25
REPLY_TIMEOUT_SECONDS = 30


def encoded_word(text):
    return "=?ISO-2022-JP?B?" + base64.b64encode(text.encode("iso-2022-jp")).decode("ascii") + "?="


def header_address(entry):
    if not entry["name"]:
        return entry["address"]
    return "%s <%s>" % (encoded_word(entry["name"]), entry["address"])


def base64_lines(data):
    text = base64.b64encode(data).decode("ascii")
    lines = [text[i:i + BASE64_LINE_LENGTH] for i in range(0, len(text), BASE64_LINE_LENGTH)]
    return "".join(line + "\r\n" for line in lines) + ("\r\n" if len(data) % 57 == 0 else "")


def message_bytes(expect, bcc_header, bare_lf):
    attachments = expect.get("attachments", [])
    header = "From: %s\r\n" % header_address(expect["from"])
    header += "To: %s\r\n" % ",".join(header_address(a) for a in expect["to"])
    if expect.get("cc"):
        header += "Cc: %s\r\n" % ",".join(header_address(a) for a in expect["cc"])
    if bcc_header and expect.get("bcc"):
        header += "Bcc: %s\r\n" % ",".join(a["address"] for a in expect["bcc"])
    header += "Subject: %s\r\n" % (encoded_word(expect["subject"]) if expect["subject"] else "")
    header += "Date: %s\r\n" % time.strftime("%a, %d %b %Y %H:%M:%S +0000", time.gmtime())
    header += "X-Mailer: Vex MAILER v1.0\r\n"
    if attachments:
        header += 'MIME-Version: 1.0\r\nContent-type: multipart/mixed; boundary="%s"\r\n' % BOUNDARY
    else:
        header += "MIME-Version: 1.0\r\nContent-type: text/plain; charset=iso-2022-jp\r\n"
    header += "\r\n"

    line_end = "\n" if bare_lf else "\r\n"
    body = "".join(("." + line if line.startswith(".") else line) + line_end
                   for line in expect["body"].splitlines())
    out = header.encode("ascii")
    if attachments:
        out += ("\r\n--%s\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
                "Content-Transfer-Encoding: 7bit\r\n\r\n" % BOUNDARY).encode("ascii")
    out += body.encode("iso-2022-jp")
    for attachment in attachments:
        with open(attachment["path"], "rb") as f:
            data = f.read()
        out += b"\r\n\r\n--" + BOUNDARY.encode("ascii") + b"\r\n"
        out += b"Content-Type: application/octet-stream; name=" + attachment["name"].encode("cp932")
        out += b"\r\nContent-Transfer-Encoding: base64\r\n"
        out += b"Content-Disposition: attachment; filename=" + encoded_word(attachment["name"]).encode("ascii")
        out += b"\r\n\r\n" + base64_lines(data).encode("ascii")
    if attachments:
        out += ("\r\n--%s--" % BOUNDARY).encode("ascii")
    return out + b"\r\n.\r\n"


class Conversation:
    def __init__(self):
        self.sock = socket.create_connection(("127.0.0.1", SMTP_PORT), timeout=REPLY_TIMEOUT_SECONDS)
        self.pending = b""

    def reply(self):
        while True:
            lines = self.pending.split(b"\r\n")
            for i, line in enumerate(lines[:-1]):
                if len(line) < 4 or line[3:4] == b" ":
                    self.pending = b"\r\n".join(lines[i + 1:])
                    return b"\r\n".join(lines[:i + 1]).decode("ascii", "replace")
            chunk = self.sock.recv(4096)
            if not chunk:
                return "(connection closed)"
            self.pending += chunk

    def command(self, data, expected):
        self.sock.sendall(data)
        answer = self.reply()
        if not answer.startswith(expected):
            print(answer)
            sys.exit(1)
        return answer


def main():
    args = sys.argv[1:]
    if not args or args[0].startswith("-"):
        sys.exit(__doc__)
    with open(args[0], encoding="utf-8") as f:
        expect = json.load(f)
    conversation = Conversation()
    greeting = conversation.reply()
    if not greeting.startswith("220"):
        sys.exit("no greeting: " + greeting)
    conversation.command(b"HELO localhost\r\n", "250")
    conversation.command(b"MAIL FROM:<%s>\r\n" % expect["from"]["address"].encode("ascii"), "250")
    for kind in ("to", "cc", "bcc"):
        for recipient in expect.get(kind, []):
            conversation.command(b"RCPT TO:<%s>\r\n" % recipient["address"].encode("ascii"), "250")
    conversation.command(b"DATA\r\n", "354")
    answer = conversation.command(message_bytes(expect, "--bcc-header" in args, "--bare-lf" in args), "250")
    print(answer)
    conversation.command(b"QUIT\r\n", "221")


if __name__ == "__main__":
    main()
