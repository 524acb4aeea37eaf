#!/usr/bin/env python3
"""Mutation run: one realistic one-line fault at a time in src/, the affected tests, the file put back.

Each mutant names a file of src/, a text that occurs exactly once in it, its replacement, the
test folders to run and why a user would notice. The run applies one mutant, builds the test
programs of those folders, runs them, records which test failed (killed) or that all passed
(survived), and checks the file out again before the next one. A mutant is never left behind:
the file is restored in a finally block and `git diff src` must be empty before and after.

    python3 tests/mutants.py                 # all mutants, results to build/mutants.tsv
    python3 tests/mutants.py 7 12            # only mutants 7 and 12
    python3 tests/mutants.py --list          # the table without running anything

Run from the top of a configured build (build/ made with the commands of README/./test).
"""
import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")

# (file under src/, original text, mutated text, test folders, what the user sees)
MUTANTS = [
    # comm
    ("comm/QtSerialBackend.cpp", ": handshaking >= 2 ? QSerialPort::HardwareControl",
     ": handshaking == 2 ? QSerialPort::HardwareControl", ["comm"],
     "XON-RTS (3) opens the line without any flow control; a fast modem overruns the buffer"),
    ("comm/LineSettings.cpp", "s.parity = f[1].toLower()[0].toLatin1();", "s.parity = f[1][0].toLatin1();",
     ["comm", "config"], "\"9600,E,8,1\" keeps 'E', which the backend takes for no parity"),
    ("comm/CommPort.cpp", "if (number < 1 || number > 16) {", "if (number < 1 || number > 15) {",
     ["comm", "config"], "COM16 is refused although the lists offer it"),
    ("comm/ComProcs.cpp", '{"", " , XON/XOFF", " , RTS/CTS", " , XON-RTS"}',
     '{"", " , RTS/CTS", " , XON/XOFF", " , XON-RTS"}', ["comm", "config", "main"],
     "the status bar names the wrong handshake"),
    # platform
    ("platform/WorkFolder.cpp", "if (!stored.isEmpty() && QFileInfo(stored).isDir())", "if (!stored.isEmpty())",
     ["platform", "phonelist", "sms"], "a deleted working folder makes phone.lst and every SMS file unreachable"),
    ("platform/PortMap.cpp", 'return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);',
     'return QStringLiteral("/dev/ttyS%1").arg(portNumber);', ["platform", "comm", "config", "main"],
     "COM1 opens /dev/ttyS1: the modem on the first port is never found"),
    ("platform/CodePage.cpp", "d[i] = (b >= 0x80 && b < 0xA0) ?", "d[i] = (b >= 0x80 && b < 0x9F) ?",
     ["platform", "text", "comm"], "byte 0x9F (Ÿ) from the modem or a file shows as a control character"),
    ("platform/HeaderGrid.cpp", "    if (r >= 1)\n        return r;", "    if (r >= 0)\n        return r;",
     ["platform", "phonelist", "simbook"], "with the header row current, Edit/Delete act on the header row"),
    ("platform/SettingsStore.cpp", "return v.toStringList().join(QLatin1Char(','));",
     "return v.toStringList().join(QLatin1Char(';'));", ["platform"],
     "a hand-written 9600,n,8,1 in the settings file reads back as 9600;n;8;1 and the port refuses it"),
    # text
    ("text/StringUtil.cpp", "case 0x00DC: text[i] = QChar(0xDE); break;", "case 0x00DC: text[i] = QChar(0xDC); break;",
     ["text", "sms"], "Ü is sent as the code of Ö"),
    ("text/AtInput.cpp", "return c != u'\"' && c != u';' && IsWindows1252Printable(c);",
     "return c != u'\"' && IsWindows1252Printable(c);", ["text", "modem", "sms", "simbook"],
     "a ';' typed into a number ends the AT command line and starts another"),
    ("text/AtInput.cpp", "!text.contains(QChar(27));", "!text.contains(QChar(28));", ["text", "sms"],
     "an ESC in a message body cancels the send at the modem"),
    ("text/TextFile.cpp", '        bytes += "\\r\\n";\n    }\n    return bytes;', '        bytes += "\\n";\n    }\n    return bytes;',
     ["text", "phonelist", "simbook"], "phone.lst is written with LF only; the Windows program reads one line"),
    ("text/UmlautTable.cpp", "return code != 10 && code != 13 && code != 32 && code != 59;",
     "return code != 10 && code != 13 && code != 32;", ["text"],
     "';' may be chosen as a substitute and splits the row when the table is read back"),
    # modem
    ("modem/ModemAnswers.cpp", "return answer.mid(p - 3, 2);", "return answer.mid(p - 2, 2);", ["modem"],
     "the signal strength shows one digit and the comma"),
    ("modem/ModemAnswers.cpp", 'case 5: return QStringLiteral("roaming");', 'case 4: return QStringLiteral("roaming");',
     ["modem"], "a roaming modem is shown as not registered"),
    ("modem/ModemTask.cpp", "text.replace(s, QString(s.size(), u'*'));", ";", ["modem", "sms", "main"],
     "PIN and PUK appear in the terminal and in the traffic log"),
    ("modem/ModemTask.cpp", "    m_link.releaseReceiveTimer();\n", "", ["modem", "sms", "main", "simbook"],
     "after the first modem task the terminal never reads the port again"),
    ("modem/PinGuard.cpp", "                      MsgButtons::YesNo, MsgIcon::Question)\n               == MsgAnswer::No)",
     "                      MsgButtons::YesNo, MsgIcon::Question)\n               == MsgAnswer::Yes)", ["modem"],
     "the last PIN attempt is sent although the user answered No; a wrong PIN locks the SIM"),
    ("modem/PinGuard.cpp", "return code.size() >= least && code.size() <= most", "return code.size() >= least && code.size() < most",
     ["modem"], "an 8-digit PIN or any PUK is refused"),
    # sms
    ("sms/SmsDataFile.cpp", "            ::unlink(QFile::encodeName(path).constData());\n", "", ["sms"],
     "a failed header write leaves an empty SMS file that later runs take for theirs"),
    ("sms/SmsDataFile.cpp", 'QStringLiteral("MM-dd-yyyy, HH:mm:ss")', 'QStringLiteral("dd-MM-yyyy, HH:mm:ss")', ["sms"],
     "the file header says 03-12 for 12 March"),
    ("sms/SmsDataFile.cpp", "return QByteArray::number(offset) + ' ' + QByteArray::number(length) + \"\\r\\n\";",
     "return QByteArray::number(length) + ' ' + QByteArray::number(offset) + \"\\r\\n\";", ["sms"],
     "the index is unusable; the archive falls back or misreads"),
    ("sms/ReceiveAnswers.cpp", "h.date = stamp.mid(6, 2) + u'.' + stamp.mid(3, 2) + u'.' + stamp.left(2);",
     "h.date = stamp.mid(3, 2) + u'.' + stamp.mid(6, 2) + u'.' + stamp.left(2);", ["sms"],
     "received messages show month and day swapped"),
    ("sms/frmListe.cpp", "used != 0 && index <= max; ++index", "used != 0 && index < max; ++index", ["sms"],
     "a message in the last slot of the SIM is never read"),
    ("sms/frmListe.cpp", "if (!known || !filed.contains(sms)) {", "if (!known || filed.contains(sms)) {", ["sms"],
     "a new message is deleted from the SIM without being filed"),
    ("sms/frmSendSM.cpp", "MsgButtons::YesNo)\n               == MsgAnswer::No)\n        return;\n\n    const QList<Recipient> picked",
     "MsgButtons::YesNo)\n               == MsgAnswer::Yes)\n        return;\n\n    const QList<Recipient> picked", ["sms"],
     "Yes to \"Trotzdem senden?\" sends nothing, No sends"),
    ("sms/MessageSend.cpp", "const QChar kCtrlZ(26);", "const QChar kCtrlZ(27);", ["sms"],
     "the message ends with ESC: the modem cancels every send"),
    ("sms/SmsArchive.cpp", "return a.stamp > b.stamp;", "return a.stamp < b.stamp;", ["sms"],
     "the archive shows the oldest message first"),
    # phonelist
    ("phonelist/PhoneListFormat.cpp", "if (line.size() >= kShortestUsableLine)", "if (line.size() > kShortestUsableLine)",
     ["phonelist", "sms", "simbook"], "a 4-character line without ';' (a short number) vanishes"),
    ("phonelist/PhoneListFormat.cpp", "return {line.left(semicolon), line.mid(semicolon + 1)};",
     "return {line.left(semicolon), line.mid(semicolon)};", ["phonelist", "sms"],
     "every number starts with ';' and cannot be sent to"),
    ("phonelist/frmTelNr.cpp", "question, MsgButtons::YesNo, MsgIcon::Information) != MsgAnswer::Yes)",
     "question, MsgButtons::YesNo, MsgIcon::Information) == MsgAnswer::Yes)", ["phonelist"],
     "No to \"wirklich löschen?\" deletes the entry, Yes keeps it"),
    ("phonelist/frmTelNr.cpp", "    tabTelefon->setCell(last, 1, QString());\n", "", ["phonelist"],
     "after a delete the last name appears twice and is saved twice"),
    # simbook
    ("simbook/SimBookAnswers.cpp", "return number.startsWith(u'+') ? 145 : 129;", "return number.startsWith(u'+') ? 129 : 145;",
     ["simbook"], "international numbers are written to the SIM as national ones"),
    ("simbook/SimPhonebook.cpp", "for (int i = 1; i <= result.count; ++i) {\n        result.step = i;\n        if (task.cancelled()) {\n            result.end = SimRunResult::End::Stopped;\n            return result;\n        }\n        if (onStep)\n            onStep(i, result.count);\n        const ModemTask::Reply reply",
     "for (int i = 1; i < result.count; ++i) {\n        result.step = i;\n        if (task.cancelled()) {\n            result.end = SimRunResult::End::Stopped;\n            return result;\n        }\n        if (onStep)\n            onStep(i, result.count);\n        const ModemTask::Reply reply",
     ["simbook"], "the last SIM entry asked for is never read"),
    ("simbook/SimWritePlan.cpp", "return nextFree++;", "return nextFree;", ["simbook"],
     "two new entries go to the same SIM location; the first is overwritten"),
    ("simbook/frmSimList.cpp", "            if (answer != MsgAnswer::Yes)\n                return false;",
     "            if (answer != MsgAnswer::No)\n                return false;", ["simbook"],
     "No to \"Bestehende Datei ersetzen\" replaces the file"),
    # config
    ("config/frmComScan.cpp", "constexpr int kSteps = 12;", "constexpr int kSteps = 11;", ["config"],
     "the baud-rate scan never leaves its start: every press resets the counter"),
    ("config/PortChoices.cpp", "c.parity = parityItem(s[n - 4 - k - 1]);", "c.parity = parityItem(s[n - 4 - k]);",
     ["config"], "the settings dialog preselects no parity; OK stores settings the port refuses"),
    ("config/frmProperties.cpp", 'optEcho[1]->isChecked() ? QStringLiteral("True") : QStringLiteral("False")',
     'optEcho[1]->isChecked() ? QStringLiteral("False") : QStringLiteral("True")', ["config"],
     "the echo choice is stored inverted"),
    # main
    ("main/frmAnfang.cpp", "case Qt::Key_Enter: ch = QChar(13); break;", "case Qt::Key_Enter: ch = QChar(10); break;",
     ["main"], "Enter in the terminal sends LF; the modem never runs the typed command"),
    ("main/TrafficLog.cpp", "QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered",
     "QIODevice::WriteOnly | QIODevice::Unbuffered", ["main"],
     "opening an existing log without replacing it overwrites its start"),
    ("main/frmAnfang.cpp", "s.set(keys::MyDir, QDir::toNativeSeparators(platform::workFolder()));",
     "s.set(keys::MyDir, QDir::toNativeSeparators(QDir::currentPath()));", ["main"],
     "after a file dialog the next start looks for phone.lst and the SMS files in the wrong folder"),
    # about
    ("about/SysInfo.cpp", 'path + QStringLiteral("\\\\MSINFO32.EXE")', 'path + QStringLiteral("MSINFO32.EXE")', ["about"],
     "the system-information tool in its registered folder is never found"),
    ("about/ProgramVersion.cpp", "return {part(0), part(1), part(2)};", "return {part(0), part(2), part(1)};", ["about"],
     "the about box shows 1.0.3 for version 1.3.0"),
]


def git(*args):
    return subprocess.run(["git", "-C", ROOT, *args], capture_output=True, text=True, check=True).stdout


def src_clean():
    return git("status", "--porcelain", "--", "src") == ""


def line_of(text, needle):
    return text[: text.index(needle)].count("\n") + 1


def tests_of(folders):
    listed = subprocess.run(["ctest", "--test-dir", BUILD, "-N"], capture_output=True, text=True).stdout
    names = [l.split(":", 1)[1].strip() for l in listed.splitlines() if l.strip().startswith("Test") and ":" in l]
    return [n for n in names if n.split("_", 1)[0] in folders]


def killers(output):
    # "FAIL!  : TestClass::function(row) ..." names the test function; a crash or a time-out
    # only names the program.
    found = []
    for l in output.splitlines():
        m = re.search(r"FAIL!\s*:\s*(\S+::\S+?)(\(.*?\))?\s", l)
        if m and m.group(1) not in found:
            found.append(m.group(1))
    for l in output.splitlines():
        m = re.search(r"Test\s+#\d+: (\S+) .*\*\*\*(\w+)", l)
        if m and m.group(2) != "Failed":
            found.append("%s (%s)" % (m.group(1), m.group(2).lower()))
    return ", ".join(found[:4]) or "ctest"


def run_one(number):
    path, before, after, folders, why = MUTANTS[number - 1]
    full = os.path.join(ROOT, "src", path)
    with open(full, encoding="utf-8") as f:
        original = f.read()
    if original.count(before) != 1:
        return (number, path, "?", "not applied: text not found exactly once", "")
    line = line_of(original, before)
    tests = tests_of(folders)
    if not src_clean():
        sys.exit("src/ has changes; refusing to mutate")
    try:
        with open(full, "w", encoding="utf-8") as f:
            f.write(original.replace(before, after))
        build = subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", *tests], capture_output=True, text=True)
        if build.returncode != 0:
            verdict, by = "killed", "build"
        else:
            run = subprocess.run(["ctest", "--test-dir", BUILD, "-R", "^(" + "|".join(tests) + ")$", "-j2",
                                  "--output-on-failure"],
                                 capture_output=True, text=True, env={**os.environ, "QT_QPA_PLATFORM": "offscreen"})
            verdict, by = ("killed", killers(run.stdout)) if run.returncode != 0 else ("survived", "")
    finally:
        git("checkout", "--", os.path.join("src", path))
    if not src_clean():
        sys.exit("src/ still changed after mutant %d: stop and look" % number)
    return (number, path, line, verdict, by)


def main(argv):
    if "--list" in argv:
        for i, (path, before, after, folders, why) in enumerate(MUTANTS, 1):
            print("%2d %-32s %s -> %s  [%s] %s" % (i, path, before.strip(), after.strip(), ",".join(folders), why))
        return
    chosen = [int(a) for a in argv] or list(range(1, len(MUTANTS) + 1))
    out = os.path.join(BUILD, "mutants.tsv")
    with open(out, "a", encoding="utf-8") as results:
        for n in chosen:
            started = time.time()
            row = run_one(n)
            results.write("\t".join(str(x) for x in row) + "\n")
            results.flush()
            print("%2d %-32s line %-4s %-8s %s (%.0f s)" % (*row, time.time() - started), flush=True)
    # The test programs last built hold a mutant: build them again from the clean sources.
    subprocess.run(["cmake", "--build", BUILD, "-j2"], capture_output=True)


if __name__ == "__main__":
    main(sys.argv[1:])
