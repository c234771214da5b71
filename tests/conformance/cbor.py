"""A small CBOR codec (RFC 8949) for the protocol conformance client.

Written from the RFC alone: definite and indefinite lengths, all integer widths, half, single
and double floats, tags, and the simple values false, true, null and undefined. Decoded
indefinite-length arrays and maps are IndefiniteList and IndefiniteDict, so that a caller can
check what form the sender chose; maps keep the order of their keys.
"""

import math
import struct


class Tag:
    def __init__(self, number, value):
        self.number = number
        self.value = value

    def __eq__(self, other):
        return isinstance(other, Tag) and (self.number, self.value) == (other.number, other.value)

    def __repr__(self):
        return "%d(%r)" % (self.number, self.value)


class UndefinedType:
    def __repr__(self):
        return "undefined"


UNDEFINED = UndefinedType()


class IndefiniteList(list):
    pass


class IndefiniteDict(dict):
    pass


class DecodeError(ValueError):
    pass


# --- Encoding ----------------------------------------------------------------------------------

def _head(major, argument):
    if argument < 24:
        return bytes([major << 5 | argument])
    for info, fmt in ((24, ">B"), (25, ">H"), (26, ">I"), (27, ">Q")):
        if argument < 1 << (8 * struct.calcsize(fmt)):
            return bytes([major << 5 | info]) + struct.pack(fmt, argument)
    raise ValueError("integer too large for CBOR: %d" % argument)


def encode(value):
    """The CBOR bytes of a value: None, bool, int, float, str, bytes, list, dict, Tag."""
    if value is None:
        return b"\xf6"
    if value is UNDEFINED:
        return b"\xf7"
    if value is True:
        return b"\xf5"
    if value is False:
        return b"\xf4"
    if isinstance(value, int):
        return _head(0, value) if value >= 0 else _head(1, -1 - value)
    if isinstance(value, float):
        return b"\xfb" + struct.pack(">d", value)
    if isinstance(value, str):
        data = value.encode("utf-8")
        return _head(3, len(data)) + data
    if isinstance(value, (bytes, bytearray)):
        return _head(2, len(value)) + bytes(value)
    if isinstance(value, (list, tuple)):
        return _head(4, len(value)) + b"".join(encode(item) for item in value)
    if isinstance(value, dict):
        return _head(5, len(value)) + b"".join(encode(k) + encode(v) for k, v in value.items())
    if isinstance(value, Tag):
        return _head(6, value.number) + encode(value.value)
    raise TypeError("cannot encode %r" % type(value))


# --- Decoding ----------------------------------------------------------------------------------

_BREAK = object()


def _half(bits):
    exponent = (bits >> 10) & 0x1F
    mantissa = bits & 0x3FF
    if exponent == 0:
        magnitude = math.ldexp(mantissa, -24)
    elif exponent == 31:
        magnitude = math.inf if mantissa == 0 else math.nan
    else:
        magnitude = math.ldexp(mantissa + 1024, exponent - 25)
    return -magnitude if bits & 0x8000 else magnitude


class _Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, count):
        if self.pos + count > len(self.data):
            raise DecodeError("the data ends inside an item")
        chunk = self.data[self.pos:self.pos + count]
        self.pos += count
        return chunk

    def argument(self, info):
        if info < 24:
            return info
        sizes = {24: 1, 25: 2, 26: 4, 27: 8}
        if info not in sizes:
            raise DecodeError("reserved additional information %d" % info)
        return int.from_bytes(self.take(sizes[info]), "big")

    def item(self, depth=0, allow_break=False):
        if depth > 64:
            raise DecodeError("nested too deeply")
        initial = self.take(1)[0]
        major, info = initial >> 5, initial & 0x1F
        if initial == 0xFF:
            if allow_break:
                return _BREAK
            raise DecodeError("a break outside an indefinite-length item")
        if major == 0:
            return self.argument(info)
        if major == 1:
            return -1 - self.argument(info)
        if major in (2, 3):
            if info == 31:
                chunks = []
                while True:
                    chunk = self.item(depth + 1, allow_break=True)
                    if chunk is _BREAK:
                        break
                    if type(chunk) is not (bytes if major == 2 else str):
                        raise DecodeError("a chunk of another type in an indefinite string")
                    chunks.append(chunk)
                return b"".join(chunks) if major == 2 else "".join(chunks)
            data = self.take(self.argument(info))
            if major == 2:
                return bytes(data)
            try:
                return bytes(data).decode("utf-8")
            except UnicodeDecodeError as error:
                raise DecodeError("a text string that is not UTF-8: %s" % error)
        if major == 4:
            if info == 31:
                result = IndefiniteList()
                while True:
                    item = self.item(depth + 1, allow_break=True)
                    if item is _BREAK:
                        return result
                    result.append(item)
            return [self.item(depth + 1) for _ in range(self.argument(info))]
        if major == 5:
            result = IndefiniteDict() if info == 31 else {}
            count = None if info == 31 else self.argument(info)
            while count is None or len(result) < count:
                key = self.item(depth + 1, allow_break=count is None)
                if key is _BREAK:
                    break
                if isinstance(key, (list, dict)):
                    raise DecodeError("a map key that is an array or a map")
                result[key] = self.item(depth + 1)
            return result
        if major == 6:
            return Tag(self.argument(info), self.item(depth + 1))
        # major 7
        if info == 20:
            return False
        if info == 21:
            return True
        if info == 22:
            return None
        if info == 23:
            return UNDEFINED
        if info == 25:
            return _half(int.from_bytes(self.take(2), "big"))
        if info == 26:
            return struct.unpack(">f", self.take(4))[0]
        if info == 27:
            return struct.unpack(">d", self.take(8))[0]
        if info < 24:
            return ("simple", info)
        if info == 24:
            return ("simple", self.take(1)[0])
        raise DecodeError("reserved simple value %d" % info)


def decode(data):
    """The one item the bytes hold; DecodeError when they hold less or more."""
    reader = _Reader(bytes(data))
    value = reader.item()
    if reader.pos != len(reader.data):
        raise DecodeError("%d bytes after the item" % (len(reader.data) - reader.pos))
    return value
