"""Reads and writes the WAV files the tests exchange with vorel-render and
the distribution's hosts.

Python's wave module handles integer PCM only, so the RIFF chunks are parsed
here: 16/24/32-bit integer PCM and 32-bit IEEE float, plain or extensible.
Samples come back per channel as Python floats holding the exact values
stored in the file (integer PCM divided by its full scale, which is exact).
"""

import array
import struct
import sys

PCM = 1
IEEE_FLOAT = 3
EXTENSIBLE = 0xFFFE

assert sys.byteorder == "little", "WAV data is little-endian"


class Wav:
    def __init__(self, rate, encoding, channels):
        self.rate = rate
        self.encoding = encoding  # "pcm16", "pcm24", "pcm32" or "float"
        self.channels = channels  # list of channels, each a list of floats

    def frames(self):
        return len(self.channels[0]) if self.channels else 0


def _chunks(data, path):
    if data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(path + ": not a RIFF/WAVE file")
    pos = 12
    while pos + 8 <= len(data):
        cid = data[pos:pos + 4]
        size = struct.unpack_from("<I", data, pos + 4)[0]
        yield cid, data[pos + 8:pos + 8 + size]
        pos += 8 + size + (size & 1)


def read(path):
    with open(path, "rb") as f:
        data = f.read()
    fmt = body = None
    for cid, chunk in _chunks(data, path):
        if cid == b"fmt ":
            fmt = chunk
        elif cid == b"data":
            body = chunk
    if fmt is None or body is None:
        raise ValueError(path + ": no fmt or data chunk")
    tag, count, rate = struct.unpack_from("<HHI", fmt, 0)
    bits = struct.unpack_from("<H", fmt, 14)[0]
    if tag == EXTENSIBLE:
        tag = struct.unpack_from("<H", fmt, 24)[0]
    width = bits // 8
    body = body[:len(body) - len(body) % (width * count)]
    if tag == IEEE_FLOAT and bits == 32:
        flat, encoding = array.array("f", body).tolist(), "float"
    elif tag == PCM and bits == 16:
        flat, encoding = [v / 32768.0 for v in array.array("h", body)], "pcm16"
    elif tag == PCM and bits == 32:
        flat, encoding = [v / 2147483648.0 for v in array.array("i", body)], "pcm32"
    elif tag == PCM and bits == 24:
        flat = [int.from_bytes(body[i:i + 3], "little", signed=True) / 8388608.0
                for i in range(0, len(body), 3)]
        encoding = "pcm24"
    else:
        raise ValueError("%s: unsupported WAV encoding (tag %d, %d bits)" % (path, tag, bits))
    return Wav(rate, encoding, [flat[c::count] for c in range(count)])


def _quantise(value, scale):
    """A float in -1..1 as the nearest integer step, clipped to the format."""
    return max(-scale, min(scale - 1, int(round(value * scale))))


def write(path, rate, channels, encoding="float"):
    """Writes channels (equal-length lists of floats) as one WAV file."""
    count = len(channels)
    flat = [ch[i] for i in range(len(channels[0])) for ch in channels]
    if encoding == "float":
        tag, bits, body = IEEE_FLOAT, 32, array.array("f", flat).tobytes()
    elif encoding == "pcm16":
        tag, bits = PCM, 16
        body = array.array("h", [_quantise(v, 32768) for v in flat]).tobytes()
    elif encoding == "pcm24":
        tag, bits = PCM, 24
        body = b"".join(_quantise(v, 8388608).to_bytes(3, "little", signed=True) for v in flat)
    else:
        raise ValueError("unsupported encoding " + encoding)
    block = count * bits // 8
    fmt = struct.pack("<HHIIHH", tag, count, rate, rate * block, block, bits)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(body)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<I", len(fmt)) + fmt)
        f.write(b"data" + struct.pack("<I", len(body)) + body)
