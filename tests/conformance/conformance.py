#!/usr/bin/env python3
"""A client of vzserver written from docs/protocol.md alone, run against a real server.

It starts vzserver on a fresh data folder holding a demo account set and goes through what a
third party's program does: hello, the account-set list, ConnectAct, Login, queries read in
packets, inserts, changes and deletions with the keys the server gives, a conflict, a failing
script, method calls, malformed frames, a statement stopped by the time limit and a write
refused as busy. Every check that fails names the point where the server and the document
disagree; the exit status is 1 then.

    conformance.py --server PATH/vzserver [--keep]
"""

import argparse
import hashlib
import os
import re
import shutil
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cbor  # noqa: E402

ACCOUNT = "001"
MAX_FRAME = 64 * 1024 * 1024
QUERY_TIMEOUT = 3  # seconds; given to the server
BUSY_TIMEOUT = 1


class Disagreement(Exception):
    """The server did something the document does not say."""


def expect(condition, what):
    if not condition:
        raise Disagreement(what)


# --- Transport ---------------------------------------------------------------------------------

def open_socket(host, port, tls=False, fingerprint=None, timeout=30):
    """A connected socket; with tls, TLS 1.3 without a CA check, the certificate compared with
    the SHA-256 fingerprint when one is given (hex, colons allowed)."""
    sock = socket.create_connection((host, port), timeout=timeout)
    if not tls:
        return sock
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    context.minimum_version = ssl.TLSVersion.TLSv1_3
    sock = context.wrap_socket(sock, server_hostname=host)
    if fingerprint:
        seen = hashlib.sha256(sock.getpeercert(binary_form=True)).hexdigest()
        wanted = fingerprint.replace(":", "").lower()
        if seen != wanted:
            sock.close()
            raise Disagreement("the server's certificate has the fingerprint %s, not %s"
                               % (seen, wanted))
    return sock


class Connection:
    def __init__(self, host, port, tls=False, fingerprint=None):
        self.sock = open_socket(host, port, tls, fingerprint)
        self.next_id = 1

    def close(self):
        self.sock.close()

    def send_bytes(self, data):
        self.sock.sendall(data)

    def send_payload(self, payload):
        self.send_bytes(struct.pack(">I", len(payload)) + payload)

    def _read(self, count):
        data = b""
        while len(data) < count:
            chunk = self.sock.recv(count - len(data))
            if not chunk:
                raise EOFError("the server closed the connection")
            data += chunk
        return data

    def receive(self):
        """The next reply as (map, payload bytes)."""
        length = struct.unpack(">I", self._read(4))[0]
        expect(length <= MAX_FRAME, "a reply frame of %d bytes, beyond the 64 MiB cap" % length)
        payload = self._read(length)
        try:
            reply = cbor.decode(payload)
        except cbor.DecodeError as error:
            raise Disagreement("a reply that is no well-formed CBOR: %s" % error)
        expect(isinstance(reply, dict), "a reply that is no map")
        for key in reply:
            expect(isinstance(key, str), "a reply key that is no text: %r" % (key,))
        return reply, payload

    def closed_by_server(self, wait=10):
        self.sock.settimeout(wait)
        try:
            return self.sock.recv(1) == b""
        except (ConnectionResetError, BrokenPipeError):
            return True
        except socket.timeout:
            return False

    def send(self, op, **keys):
        request = {"id": self.next_id, "op": op}
        request.update(keys)
        self.next_id += 1
        self.send_payload(cbor.encode(request))
        return request["id"]

    def request(self, op, **keys):
        """The reply of a request, its id checked; failing replies are returned as they are."""
        sent = self.send(op, **keys)
        reply, _ = self.receive()
        expect(reply.get("id") == sent, "%s: the reply's id is %r, not the request's %r"
               % (op, reply.get("id"), sent))
        expect(isinstance(reply.get("ok"), bool), "%s: the reply has no boolean ok" % op)
        expect(list(reply)[:2] == ["id", "ok"], "%s: the reply begins with the keys %r"
               % (op, list(reply)[:2]))
        if not reply["ok"]:
            expect(isinstance(reply.get("code"), str) and isinstance(reply.get("error"), str),
                   "%s: an error reply without code and error texts: %r" % (op, reply))
            expect(list(reply)[2:4] == ["code", "error"], "%s: an error reply's keys come in the "
                   "order %r" % (op, list(reply)))
        return reply

    def ok(self, op, **keys):
        reply = self.request(op, **keys)
        expect(reply["ok"], "%s failed: %s (%s)" % (op, reply.get("error"), reply.get("code")))
        return reply

    def error(self, code, op, **keys):
        reply = self.request(op, **keys)
        expect(not reply["ok"], "%s succeeded where the error %s was expected" % (op, code))
        expect(reply["code"] == code, "%s: code %r where %r was expected (%s)"
               % (op, reply["code"], code, reply["error"]))
        return reply

    def call(self, method, *args):
        return self.ok("call", method=method, args=list(args))

    def hello(self):
        return self.ok("hello", module="ZezU.datas", protocol=1)

    def session(self, user="SYS", password=""):
        self.hello()
        reply = self.call("ConnectAct", 0, "", ACCOUNT, "", "")
        expect(reply["result"] is False, "ConnectAct refused %s: %s" % (ACCOUNT, reply))
        if LOGIN:
            self.call("Login", user, password)

    def rows(self, provider, text, packet=2000):
        reply = self.ok("open", provider=provider, text=text, packet=packet)
        rows = list(reply["rows"])
        while not reply["eof"]:
            reply = self.ok("fetch", cursor=reply["cursor"])
            rows += reply["rows"]
        return rows

    def scalar(self, text):
        return self.rows("pTmp", text)[0][0]


# --- The server --------------------------------------------------------------------------------

class Server:
    def __init__(self, binary, data_dir):
        self.binary = binary
        self.data_dir = data_dir
        self.process = None
        self.port = None
        self.log = []
        self.fingerprint = None

    def help_text(self):
        return subprocess.run([self.binary, "--help"], capture_output=True, text=True).stdout

    def create_demo(self):
        result = subprocess.run([self.binary, "--data", self.data_dir, "--create-account",
                                 ACCOUNT, "一致性测试", "--demo"], capture_output=True, text=True)
        if result.returncode != 0:
            raise RuntimeError("vzserver --create-account failed: " + result.stderr)

    def start(self, extra):
        arguments = [self.binary, "--data", self.data_dir, "--port", "0",
                     "--query-timeout", str(QUERY_TIMEOUT),
                     "--busy-timeout", str(BUSY_TIMEOUT)] + extra
        self.process = subprocess.Popen(arguments, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, text=True)
        deadline = time.time() + 30
        for line in self.process.stdout:
            self.log.append(line.rstrip("\n"))
            found = re.search(r"fingerprint\s+([0-9A-Fa-f]{2}(?::[0-9A-Fa-f]{2}){31})", line)
            if found:
                self.fingerprint = found.group(1)
            found = re.search(r"listening on \S*:(\d+)", line)
            if found:
                self.port = int(found.group(1))
                break
            if time.time() > deadline:
                break
        if not self.port:
            self.stop()
            raise RuntimeError("vzserver did not start:\n" + "\n".join(self.log))
        threading.Thread(target=self._drain, daemon=True).start()

    def _drain(self):
        for line in self.process.stdout:
            self.log.append(line.rstrip("\n"))

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.port = None

    def connect(self, tls=False):
        return Connection("127.0.0.1", self.port, tls, self.fingerprint)


LOGIN = False  # set when the server knows the Login method
DOCUMENT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs",
                        "protocol.md")


# --- The steps ---------------------------------------------------------------------------------

def step_hello(server, tls=False):
    c = server.connect(tls)
    # Nothing before hello.
    c.error("session", "call", method="GetServerDate", args=[])
    reply = c.hello()
    for key, kind in (("product", str), ("version", str), ("module", str), ("protocol", int)):
        expect(isinstance(reply.get(key), kind), "hello's reply lacks %s: %r" % (key, reply))
    expect(reply["protocol"] == 1, "hello's protocol is %r, not 1" % reply["protocol"])
    expect(reply["module"] == "ZezU.datas", "hello names the module %r" % reply["module"])
    # An unknown module is a protocol error, and the session goes on.
    c.error("protocol", "hello", module="Nobody")
    c.hello()
    c.close()


def step_account_list(server):
    c = server.connect()
    c.hello()
    # Works before ConnectAct, without a command text.
    reply = c.ok("open", provider="dspAccounts")
    names = [f["name"] for f in reply["fields"]]
    expect(names == ["CompanyCode", "AccountNo", "AccountName", "CompanyName"],
           "dspAccounts has the fields %r" % names)
    expect(reply["eof"] is True and "cursor" not in reply,
           "a short result is not ended by eof without a cursor: %r" % reply)
    expect([ACCOUNT, "一致性测试"] == reply["rows"][0][1:3],
           "the account-set list shows %r" % reply["rows"])
    c.close()


def step_connect_act(server):
    c = server.connect()
    c.hello()
    # No account set yet (nor a user): queries of the account set are refused.
    c.error("login" if LOGIN else "session", "open", provider="pHp", text="select ID from HP")
    for args in ([0, "", ACCOUNT, "", ""], [0, "", "", "", ""], [0]):
        reply = c.call("ConnectAct", *args)
        expect(reply["result"] is False, "ConnectAct%r refused the session: %r" % (args, reply))
        expect(len(reply["args"]) == 5 and reply["args"][2] == ACCOUNT,
               "ConnectAct%r gives back the arguments %r" % (args, reply["args"]))
    reply = c.call("ConnectAct", 0, "", "NoSuchSet", "", "")
    expect(reply["result"] is True and isinstance(reply.get("message"), str),
           "an unknown account set is not refused with a message: %r" % reply)
    c.close()


def step_login(server):
    if not LOGIN:
        return "skipped: the server has no Login method"
    c = server.connect()
    c.hello()
    c.call("ConnectAct", 0, "", ACCOUNT, "", "")
    c.error("login", "open", provider="pHp", text="select ID from HP")
    users = c.rows("pAppUser", "select uCode, uName from AppUser")
    expect(["SYS"] in [row[:1] for row in users], "pAppUser before Login lacks SYS: %r" % users)
    c.error("unknownUser", "call", method="Login", args=["NOBODY", ""])
    c.error("wrongPassword", "call", method="Login", args=["SYS", "wrong"])
    reply = c.call("Login", "SYS", "")
    user = reply["result"]
    for key in ("ID", "uCode", "uName", "gID", "gName", "YGID", "aYGMC"):
        expect(key in user, "Login's result lacks %s: %r" % (key, user))
    expect("uPassword" not in user, "Login's result carries the password")
    c.ok("open", provider="pHp", text="select ID from HP where ID = 1")
    c.close()


FIELD_KEYS = ["name", "type", "size", "table", "column", "key", "notNull", "readOnly", "unique"]


def step_packets(server):
    c = server.connect()
    c.session()
    total = c.scalar("select count(*) from HP")
    expect(total > 25, "the demo set holds only %d goods" % total)
    reply = c.ok("open", provider="pHp", text="select ID, BH, PM, JJ from HP order by ID",
                 packet=10)
    expect(isinstance(reply, cbor.IndefiniteDict), "the reply map has a definite length")
    expect(list(reply)[:4] == ["id", "ok", "fields", "rows"],
           "the open reply's keys come in the order %r" % list(reply))
    fields = {f["name"]: f for f in reply["fields"]}
    for field in reply["fields"]:
        expect(list(field) == FIELD_KEYS, "a field map has the keys %r" % list(field))
    expect(fields["ID"]["key"] and fields["ID"]["unique"] and fields["ID"]["type"] == "integer",
           "ID is described as %r" % fields["ID"])
    expect(fields["BH"]["unique"] and not fields["BH"]["key"] and fields["BH"]["size"] == 30,
           "the goods code is described as %r" % fields["BH"])
    expect(not fields["PM"]["unique"], "the goods name is said to be unique")
    expect(fields["JJ"]["type"] == "float", "JJ is typed %s" % fields["JJ"]["type"])
    rows = list(reply["rows"])
    expect(isinstance(reply["rows"], cbor.IndefiniteList), "rows is no indefinite-length array")
    expect(len(rows) == 10 and reply["eof"] is False and isinstance(reply.get("cursor"), int),
           "the first packet of 10 holds %d rows, eof %r" % (len(rows), reply["eof"]))
    for row in rows:
        expect(isinstance(row[3], float), "a float column holds %r" % (row[3],))
    dated = c.ok("open", provider="pXskdzb", text="select RQ from XSKDZB", packet=3)
    expect(dated["fields"][0]["type"] == "date", "RQ is typed %s" % dated["fields"][0]["type"])
    for row in dated["rows"]:
        expect(isinstance(row[0], cbor.Tag) and row[0].number == 1004 and
               re.fullmatch(r"\d{4}-\d\d-\d\d", row[0].value), "a date is sent as %r" % row[0])
    c.ok("close", cursor=dated["cursor"])
    cursor = reply["cursor"]
    more = c.ok("fetch", cursor=cursor)  # the size given to open
    expect(len(more["rows"]) == 10, "fetch without a size read %d rows" % len(more["rows"]))
    more = c.ok("fetch", cursor=cursor, packet=5)
    expect(len(more["rows"]) == 5, "fetch of 5 read %d rows" % len(more["rows"]))
    c.ok("close", cursor=cursor)
    c.error("cursor", "fetch", cursor=cursor)
    c.ok("close", cursor=cursor)  # closing a finished cursor is no error
    # All at once; the last packet says eof and has no cursor.
    everything = c.ok("open", provider="pHp", text="select ID from HP", packet=0)
    expect(len(everything["rows"]) == total and everything["eof"] and "cursor" not in everything,
           "packet 0 read %d of %d rows" % (len(everything["rows"]), total))
    exact = c.ok("open", provider="pHp", text="select ID from HP", packet=total)
    expect(exact["eof"] is True, "a packet holding the last row does not say eof")
    # A statement that changes data, given to open, runs and says so.
    changed = c.ok("open", provider="pTmp", text="update HP set BZ = BZ where ID = 1")
    expect(changed.get("rowsAffected") == 1 and changed["fields"] == [] and
           changed["rows"] == [] and changed["eof"] is True,
           "open of an update replies %r" % changed)
    c.close()


def step_apply(server):
    c = server.connect()
    c.session()
    # Insert without ID: the server fills the key and says which.
    reply = c.ok("apply", provider="pHp", changes=[
        {"kind": "insert", "new": {"BH": "CF-1", "PM": "一致性货品", "JJ": 1.5}},
        {"kind": "insert", "new": {"BH": "CF-2", "PM": "第二", "aPM": "ignored"}}])
    expect(reply["applied"] == 2 and reply["rolledBack"] is False and reply["errors"] == [],
           "the inserts were not applied: %r" % reply)
    inserted = reply.get("inserted")
    expect(isinstance(inserted, list) and len(inserted) == 2,
           "the apply reply has no inserted list of two: %r" % reply)
    expect([i["index"] for i in inserted] == [0, 1], "inserted indexes %r" % inserted)
    first = inserted[0]["key"]["ID"]
    second = inserted[1]["key"]["ID"]
    expect(c.rows("pTmp", "select BH from HP where ID = %d" % first) == [["CF-1"]],
           "the key %r of the first insert does not find it" % first)
    expect(second == first + 1, "keys %r and %r" % (first, second))
    # Modify with the old values, then delete.
    reply = c.ok("apply", provider="pHp", maxErrors=0, changes=[
        {"kind": "modify", "old": {"ID": first, "PM": "一致性货品"}, "new": {"PM": "改名"}},
        {"kind": "delete", "old": {"ID": second}}])
    expect(reply["applied"] == 2 and reply.get("inserted") == [], "modify/delete: %r" % reply)
    expect(c.rows("pTmp", "select PM from HP where ID in (%d, %d)" % (first, second))
           == [["改名"]], "the modify or the delete was not stored")
    # The same in one transaction, with the keys per part.
    reply = c.ok("transact", parts=[
        {"kind": "execute", "text": "update HP set BZ = 'x' where ID = %d" % first,
         "expectRows": 1},
        {"kind": "apply", "provider": "pHp", "changes": [
            {"kind": "insert", "new": {"BH": "CF-3", "PM": "三"}}]},
        {"kind": "query", "text": "select BH from HP where BH = 'CF-3'"}])
    expect(reply["rolledBack"] is False and reply["counts"] == [1, 1, 0] and
           reply["results"][2] == [["CF-3"]], "transact: %r" % reply)
    expect(len(reply.get("inserted", [])) == 1 and reply["inserted"][0]["part"] == 1 and
           reply["inserted"][0]["index"] == 0, "transact's inserted: %r" % reply.get("inserted"))
    c.close()


def step_conflict(server):
    c = server.connect()
    c.session()
    key = c.ok("apply", provider="pHp", changes=[
        {"kind": "insert", "new": {"BH": "CF-C", "PM": "原名"}}])["inserted"][0]["key"]
    other = server.connect()
    other.session()
    other.ok("apply", provider="pHp", changes=[
        {"kind": "modify", "old": dict(key, PM="原名"), "new": {"PM": "别人改的"}}])
    reply = c.ok("apply", provider="pHp", maxErrors=0, changes=[
        {"kind": "modify", "old": dict(key, PM="原名"), "new": {"PM": "我改的"}},
        {"kind": "delete", "old": {"ID": 99999999}},
        {"kind": "insert", "new": {"BH": "11059", "PM": "重号"}}])
    expect(reply["rolledBack"] is True and reply["applied"] == 0,
           "a change log with a conflict and maxErrors 0 was not rolled back: %r" % reply)
    codes = [e["code"] for e in reply["errors"]]
    expect(codes[:1] == ["conflict"], "the refusal codes are %r" % codes)
    conflict = reply["errors"][0]
    expect(conflict["index"] == 0 and conflict["kind"] == "modify" and
           conflict["current"]["PM"] == "别人改的", "the conflict is reported as %r" % conflict)
    # With every good row stored, each bad one is reported.
    reply = c.ok("apply", provider="pHp", maxErrors=-1, changes=[
        {"kind": "delete", "old": {"ID": 99999999}},
        {"kind": "insert", "new": {"BH": "11059", "PM": "重号"}},
        {"kind": "insert", "new": {"BH": "CF-D", "PM": "好的"}}])
    codes = [(e["index"], e["code"]) for e in reply["errors"]]
    expect(codes == [(0, "notFound"), (1, "unique")], "refusals %r" % codes)
    expect("11059" in reply["errors"][1]["message"], "the unique refusal does not name the code")
    expect(reply["applied"] == 1 and [i["index"] for i in reply["inserted"]] == [2],
           "maxErrors -1 stored %r" % reply)
    other.close()
    c.close()


def step_script(server):
    c = server.connect()
    c.session()
    reply = c.error("sql", "execute",
                    text="insert into HP (BH, PM) values ('CF-S', '脚本');\n"
                         "  update NoSuchTable set X = 1")
    expect(list(reply)[4:] == ["statement", "line", "column"],
           "the place of a failing statement is given by the keys %r" % list(reply)[4:])
    expect(reply.get("statement") == 1 and reply.get("line") == 2 and reply.get("column") == 3,
           "the failing statement is placed at %r/%r/%r"
           % (reply.get("statement"), reply.get("line"), reply.get("column")))
    expect(c.scalar("select count(*) from HP where BH = 'CF-S'") == 0,
           "the statement before the failing one was kept")
    reply = c.error("sql", "execute", text="select * from HP")
    expect("open" in reply["error"], "refusing a select does not point at open: %s"
           % reply["error"])
    reply = c.ok("execute", text="insert into HP (BH, PM) values ('CF-T', 'a;b');"
                                 "update HP set PM = 'c' where BH = 'CF-T'")
    expect(reply["rowsAffected"] == 2, "the script changed %r rows" % reply["rowsAffected"])
    c.close()


def step_methods(server):
    c = server.connect()
    c.session()
    date = c.call("GetServerDate")["result"]
    expect(isinstance(date, str) and re.fullmatch(r"\d{4}-\d\d-\d\d", date),
           "GetServerDate gives %r" % date)
    moment = c.call("GetServerDateTime")["result"]
    expect(isinstance(moment, cbor.Tag) and moment.number == 0 and
           re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(\.\d+)?", moment.value),
           "GetServerDateTime gives %r" % moment)
    tables = c.call("gettablenames")["result"].split("|")  # any case
    expect("HP" in tables and tables == sorted(tables), "GetTableNames gives %r" % tables[:5])
    c.error("method", "call", method="NoSuchMethod", args=[])
    c.close()


def step_malformed(server):
    c = server.connect()
    c.hello()
    for payload in (cbor.encode(42), b"\xa1\x62", cbor.encode({1: 2}), b"\xff\xff"):
        c.send_payload(payload)
        reply, _ = c.receive()
        expect("id" in reply and reply["id"] is None,
               "a malformed frame's reply has id %r" % reply.get("id", "(none)"))
        expect(reply["ok"] is False and reply["code"] == "protocol",
               "a malformed frame is answered %r" % reply)
    c.error("protocol", "nosuchop")
    c.hello()  # the connection stays usable
    # A frame announced beyond the cap ends the connection after an error reply.
    c.send_bytes(struct.pack(">I", MAX_FRAME + 1))
    reply, _ = c.receive()
    expect(reply["code"] == "protocol", "an oversized frame is answered %r" % reply)
    expect(c.closed_by_server(), "the connection stays open after an oversized frame")
    c.close()


SLOW_JOIN = "from Inv_ItemList A, Inv_ItemList B, Inv_ItemList C"
SLOW_QUERY = "select count(*) " + SLOW_JOIN


def step_timeout(server):
    c = server.connect()
    c.session()
    started = time.time()
    reply = c.error("timeout", "open", provider="pTmp", text=SLOW_QUERY)
    took = time.time() - started
    expect(took < QUERY_TIMEOUT + 10, "the time limit stopped the query after %.1f s" % took)
    c.call("GetServerDate")  # the session goes on
    c.close()
    return "stopped after %.1f s: %s" % (took, reply["error"])


def step_busy(server):
    writer = server.connect()
    writer.session()
    writer.ok("execute", text="create table ConfBusy (N integer)")
    waiter = server.connect()
    waiter.session()
    # One connection's long write holds the database until the time limit stops it; the other
    # connection's write waits for it no longer than the busy timeout.
    writer.send("execute", text="insert into ConfBusy (N) select A.ID " + SLOW_JOIN +
                " where A.ID + B.ID + C.ID < 0")
    time.sleep(0.5)
    reply = waiter.error("busy", "apply", provider="pHp", changes=[
        {"kind": "insert", "new": {"BH": "CF-B", "PM": "忙"}}])
    stopped, _ = writer.receive()
    expect(stopped["ok"] is False and stopped["code"] == "timeout",
           "the long write ended with %r" % stopped)
    expect(waiter.scalar("select count(*) from ConfBusy") == 0, "the stopped write was kept")
    waiter.ok("apply", provider="pHp", changes=[
        {"kind": "insert", "new": {"BH": "CF-B", "PM": "忙"}}])  # free again
    writer.close()
    waiter.close()
    return reply["error"]


def documented_frames(document):
    """The request and the reply of the byte-by-byte example (section 11) of the document."""
    text = open(document, encoding="utf-8").read()
    section = text[text.index("## 11."):]
    frames = []
    for block in re.findall(r"```\n(.*?)```", section, re.S):
        data = bytearray()
        for line in block.splitlines():
            data += bytes(int(pair, 16) for pair in re.findall(r"\b[0-9a-f]{2}\b", line[:52]))
        frames.append(bytes(data))
    expect(len(frames) == 2, "section 11 holds %d frames, not a request and a reply"
           % len(frames))
    return frames


def step_byte_example(server):
    request, reply = documented_frames(DOCUMENT)
    length = struct.unpack(">I", request[:4])[0]
    expect(length == len(request) - 4, "the example request announces %d bytes but holds %d"
           % (length, len(request) - 4))
    c = server.connect()
    c.hello()
    c.call("ConnectAct", 0, "", ACCOUNT, "", "")
    if LOGIN:
        c.call("Login", "SYS", "")
    c.send_bytes(request)
    _, payload = c.receive()
    got = struct.pack(">I", len(payload)) + payload
    if got != reply:
        at = next((i for i, (a, b) in enumerate(zip(got, reply)) if a != b),
                  min(len(got), len(reply)))
        raise Disagreement("the reply differs from section 11 from byte %d on: the server sent "
                           "%s..., the document shows %s..." % (at, got[at:at + 12].hex(" "),
                                                                 reply[at:at + 12].hex(" ")))
    c.close()


def step_tls_login(server):
    expect(server.fingerprint, "the server printed no certificate fingerprint")
    c = server.connect(tls=True)  # the fingerprint is compared
    c.session()
    expect(c.scalar("select count(*) from HP where BH = '11059'") == 1,
           "the demo set does not read the same over TLS")
    c.close()
    # A plain client is told, in a plain frame, to use TLS.
    plain = Connection("127.0.0.1", server.port)
    plain.send("hello", module="ZezU.datas")
    reply, _ = plain.receive()
    expect(reply["ok"] is False and reply["code"] == "protocol" and "TLS" in reply["error"],
           "a plain client of a TLS server is answered %r" % reply)
    plain.close()
    return "fingerprint " + server.fingerprint[:11] + "..."


STEPS = [("hello", step_hello), ("account-set list", step_account_list),
         ("ConnectAct", step_connect_act), ("Login", step_login),
         ("queries in packets", step_packets), ("insert, modify, delete", step_apply),
         ("conflicts and refusals", step_conflict), ("failing script", step_script),
         ("methods", step_methods), ("malformed frames", step_malformed),
         ("byte-by-byte example", step_byte_example), ("timeout", step_timeout),
         ("busy", step_busy)]


def run(steps, server):
    failures = 0
    for name, step in steps:
        try:
            note = step(server)
            print("ok   %s%s" % (name, " (%s)" % note if note else ""))
        except Disagreement as error:
            failures += 1
            print("FAIL %s: the server and docs/protocol.md disagree: %s" % (name, error))
        except Exception as error:  # a crash of the client is a failure as well
            failures += 1
            print("FAIL %s: %s: %s" % (name, type(error).__name__, error))
        sys.stdout.flush()
    return failures


def main():
    global LOGIN, DOCUMENT
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--server", required=True, help="the vzserver program")
    parser.add_argument("--document", default=DOCUMENT, help="docs/protocol.md")
    parser.add_argument("--keep", action="store_true", help="keep the data folder")
    options = parser.parse_args()
    DOCUMENT = options.document

    data_dir = tempfile.mkdtemp(prefix="vz-conformance-")
    server = Server(options.server, data_dir)
    failures = 0
    try:
        help_text = server.help_text()
        has_tls = "--no-tls" in help_text
        server.create_demo()
        server.start(["--no-tls"] if has_tls else [])
        probe = server.connect()
        probe.hello()
        probe.call("ConnectAct", 0, "", ACCOUNT, "", "")
        LOGIN = probe.request("call", method="Login", args=["SYS", ""]).get("code") != "method"
        probe.close()
        failures += run(STEPS, server)
        if has_tls:
            server.stop()
            server.start([])
            failures += run([("hello over TLS", lambda s: step_hello(s, tls=True)),
                             ("Login over TLS", step_tls_login)], server)
    finally:
        server.stop()
        if failures:
            print("--- server log ---\n" + "\n".join(server.log[-40:]))
        if options.keep:
            print("data folder kept: " + data_dir)
        else:
            shutil.rmtree(data_dir, ignore_errors=True)
    print("%d step(s) failed" % failures if failures else "all steps passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
