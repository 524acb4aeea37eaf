#!/usr/bin/env python3
"""Lets gammu, a decoder independent of Varnix and of its simulated modem, read SMS-SUBMIT PDUs.

    gammu_reads.py PDU [PDU ...]

A stand-in modem on a pseudo-terminal holds the PDUs (hex, service centre field first) as sent
messages in its SIM storage; `gammu geteachsms` reads them through its own AT driver in PDU mode,
decodes them and joins the parts of long messages. Prints gammu's output; exits with its status
(2 when gammu is missing, 3 when it does not finish in time).
"""
import os
import pty
import select
import shutil
import subprocess
import sys
import tempfile
import time
import tty


def answer(line, pdus):
    """The stand-in modem's answer to one command line (without the echo)."""
    cmd = line.upper()
    ok = b"\r\nOK\r\n"
    n = len(pdus)
    if cmd == b"AT+CSCS?":
        return b'\r\n+CSCS: "GSM"\r\n' + ok
    if cmd == b"AT+CSCS=?":
        return b'\r\n+CSCS: ("IRA","GSM","UCS2")\r\n' + ok
    if cmd == b"AT+CPMS=?":
        return b'\r\n+CPMS: ("SM"),("SM"),("SM")\r\n' + ok
    if cmd == b"AT+CPMS?":
        return b'\r\n+CPMS: "SM",%d,30,"SM",%d,30,"SM",%d,30\r\n' % (n, n, n) + ok
    if cmd.startswith(b"AT+CPMS="):
        return b"\r\n+CPMS: %d,30,%d,30,%d,30\r\n" % (n, n, n) + ok
    if cmd == b"AT+CMGF=?":
        return b"\r\n+CMGF: (0,1)\r\n" + ok
    if cmd.startswith(b"AT+CMGL"):
        # Stat 3: stored and sent; <length> the octets behind the service centre field.
        listed = b"".join(b"\r\n+CMGL: %d,3,,%d\r\n%s" % (i + 1, len(p) // 2 - 1, p) for i, p in enumerate(pdus))
        return listed + b"\r\n" + ok
    if cmd.startswith(b"AT+CMGR="):
        index = int(cmd[8:] or b"0")
        if 1 <= index <= n:
            p = pdus[index - 1]
            return b"\r\n+CMGR: 3,,%d\r\n%s\r\n" % (len(p) // 2 - 1, p) + ok
        return b"\r\n+CMS ERROR: 321\r\n"
    if cmd.startswith((b"AT+CGMI", b"AT+GMI")):
        return b"\r\nVarnix\r\n" + ok
    if cmd.startswith((b"AT+CGMM", b"AT+GMM")):
        return b"\r\nPDU-Leser\r\n" + ok
    if cmd.startswith((b"AT+CGMR", b"AT+GMR")):
        return b"\r\n1.0\r\n" + ok
    if cmd.startswith((b"AT+CGSN", b"AT+GSN")):
        return b"\r\n356938035643809\r\n" + ok
    if cmd.startswith(b"AT+CPIN?"):
        return b"\r\n+CPIN: READY\r\n" + ok
    # gammu probes for vendor commands (AT+MODE, AT$...): a plain modem knows none of them.
    if cmd.startswith((b"AT+MODE", b"AT$", b"AT+CPROT", b"AT+SYNCML")):
        return b"\r\nERROR\r\n"
    return ok


def main():
    pdus = [a.upper().encode() for a in sys.argv[1:]]
    gammu = shutil.which("gammu")
    if not gammu:
        print("gammu is not installed", file=sys.stderr)
        return 2
    master, slave = pty.openpty()
    tty.setraw(slave)
    with tempfile.TemporaryDirectory() as home:
        config = os.path.join(home, "gammurc")
        with open(config, "w") as f:
            f.write("[gammu]\nport = %s\nconnection = at\n" % os.ttyname(slave))
        env = dict(os.environ, HOME=home, LANG="C.UTF-8", LC_ALL="C.UTF-8")
        run = subprocess.Popen([gammu, "-c", config, "geteachsms"], stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, env=env)
        echo = True
        pending = b""
        deadline = time.monotonic() + 60
        while run.poll() is None and time.monotonic() < deadline:
            ready, _, _ = select.select([master], [], [], 0.1)
            if not ready:
                continue
            pending += os.read(master, 4096)
            while b"\r" in pending:
                line, pending = pending.split(b"\r", 1)
                line = line.strip(b"\n\x1b ")
                if not line.upper().startswith(b"AT"):
                    continue
                out = line + b"\r" if echo else b""
                if line.upper().startswith(b"ATE"):
                    echo = line.upper() != b"ATE0"
                os.write(master, out + answer(line, pdus))
        if run.poll() is None:
            run.kill()
            print(run.communicate()[0].decode("utf-8", "replace"))
            return 3
        print(run.communicate()[0].decode("utf-8", "replace"), end="")
        return run.returncode


if __name__ == "__main__":
    sys.exit(main())
