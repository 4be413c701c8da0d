#!/usr/bin/env python3
"""Writes the seed archives of the reader's differential fuzz target, and the hostile
archives its unit test reads.

    make_strongread_seeds.py [OUTDIR]

OUTDIR defaults to corpus/strongread_diff beside this script. Every archive is made byte by
byte here, so that each odd shape is exactly the one named: several end records, counts
that disagree, offsets that disagree, overlapping members, data descriptors, ZIP64 records.
Members whose bytes must never be handed out hold the word EVIL; the genuine ones do not.
The output is the same on every run.
"""
import os
import struct
import sys
import zlib

LOCAL, CENTRAL, END = 0x04034B50, 0x02014B50, 0x06054B50
END64, LOCATOR64, DESCRIPTOR = 0x06064B50, 0x07064B50, 0x08074B50
STORE, DEFLATE = 0, 8
DOS_TIME, DOS_DATE = 0x6000, 0x3C21


def deflate(data, level=9):
    c = zlib.compressobj(level, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def text(word, n):
    out = b""
    i = 0
    while len(out) < n:
        out += b"%s line %d of the level pack\n" % (word, i % 61)
        i += 1
    return out[:n]


# CRC-32 table, for making bytes with a chosen checksum.
TABLE = []
for i in range(256):
    c = i
    for _ in range(8):
        c = (c >> 1) ^ 0xEDB88320 if c & 1 else c >> 1
    TABLE.append(c)
BY_TOP = {t >> 24: i for i, t in enumerate(TABLE)}


def forge(data, target):
    """`data` with its last four bytes replaced so that its CRC-32 is `target`."""
    head = data[:-4]
    reg = zlib.crc32(head) ^ 0xFFFFFFFF
    want = target ^ 0xFFFFFFFF
    picks = []
    for _ in range(4):  # the table entries the last four steps must use, found backwards
        i = BY_TOP[want >> 24]
        picks.append(i)
        want = ((want ^ TABLE[i]) << 8) & 0xFFFFFFFF
    tail = bytearray()
    for i in reversed(picks):
        b = (reg ^ i) & 0xFF
        tail.append(b)
        reg = (reg >> 8) ^ TABLE[(reg ^ b) & 0xFF]
    out = head + bytes(tail)
    assert zlib.crc32(out) == target
    return out


class Member:
    """One member: its data and every header field, each of which a shape may override."""

    def __init__(self, name, data, method=DEFLATE, raw=None):
        self.name = name.encode() if isinstance(name, str) else name
        self.data = data
        self.method = method
        self.raw = raw if raw is not None else (deflate(data) if method == DEFLATE else data)
        self.crc = zlib.crc32(data)
        self.csize = len(self.raw)
        self.size = len(data)
        self.flags = 0
        self.local_extra = b""
        self.central_extra = b""
        self.local_fields = {}  # overrides of the local header: crc, csize, size, name, method
        self.descriptor = None  # bytes written after the data
        self.offset = None  # where its local header landed

    def local_header(self):
        f = self.local_fields
        name = f.get("name", self.name)
        return struct.pack("<IHHHHHIIIHH", LOCAL, 20, self.flags, f.get("method", self.method),
                           DOS_TIME, DOS_DATE, f.get("crc", self.crc), f.get("csize", self.csize),
                           f.get("size", self.size), len(name),
                           len(self.local_extra)) + name + self.local_extra


def central_entry(m, offset=None, crc=None, csize=None, size=None, name=None, extra=None,
                  method=None, disk=0):
    name = m.name if name is None else name
    extra = m.central_extra if extra is None else extra
    return struct.pack("<IHHHHHHIIIHHHHHII", CENTRAL, 0x031E, 20, m.flags,
                       m.method if method is None else method, DOS_TIME, DOS_DATE,
                       m.crc if crc is None else crc, m.csize if csize is None else csize,
                       m.size if size is None else size, len(name), len(extra), 0, disk, 0,
                       0o100644 << 16, m.offset if offset is None else offset) + name + extra


def end_record(count, cd_size, cd_offset, comment=b"", disk=0, cd_disk=0, on_disk=None):
    return struct.pack("<IHHHHIIH", END, disk, cd_disk, count if on_disk is None else on_disk,
                       count, cd_size, cd_offset, len(comment)) + comment


def lay_out(members, start=b""):
    """Local headers and data of `members` after `start`; sets each member's offset."""
    out = bytearray(start)
    for m in members:
        m.offset = len(out)
        out += m.local_header() + m.raw
        if m.descriptor is not None:
            out += m.descriptor
    return out


def archive(members, start=b"", comment=b""):
    out = lay_out(members, start)
    cd = b"".join(central_entry(m) for m in members)
    at = len(out)
    return bytes(out + cd + end_record(len(members), len(cd), at, comment))


def genuine_and_evil(n=3000):
    """A genuine stored member, and evil bytes of the same length and the same CRC-32: a
    directory entry for either has the same name, method, sizes and checksum."""
    good = Member("level1.txt", text(b"genuine", n), STORE)
    evil = forge(text(b"EVIL", n), good.crc)
    return good, evil


SHAPES = {}


def shape(f):
    SHAPES[f.__name__] = f
    return f


@shape
def plain():
    return archive([Member("a.txt", text(b"alpha", 5000)),
                    Member("b.bin", bytes(range(256)) * 8, STORE),
                    Member("empty.txt", b"", STORE),
                    Member("dir/", b"", STORE),
                    Member("dir/c.txt", text(b"gamma", 700))])


def second_directory(good, evil):
    """Genuine data, evil data, and a directory for each: (image so far, first cd, second cd)."""
    bad = Member(good.name, evil, STORE)
    out = lay_out([good, bad])
    return out, central_entry(good), central_entry(bad)


def both_directories():
    """Genuine and evil data with both directories laid after them:
    (image so far, first cd, where it lies, second cd, where it lies)."""
    out, cd1, cd2 = second_directory(*genuine_and_evil())
    at1 = len(out)
    out += cd1
    at2 = len(out)
    out += cd2
    return out, cd1, at1, cd2, at2


@shape
def two_ends_in_comment():
    # The first directory is the one a ZIP reader takes; a second end record, hidden in the
    # first one's comment, points at a second directory naming the evil data.
    out, cd1, at1, cd2, at2 = both_directories()
    hidden = end_record(1, len(cd2), at2)
    return bytes(out + end_record(1, len(cd1), at1, hidden))


@shape
def two_ends_other_disk():
    # The second end record claims another disk, so ZIP readers pass over it.
    out, cd1, at1, cd2, at2 = both_directories()
    out += end_record(1, len(cd1), at1)
    return bytes(out + end_record(1, len(cd2), at2, disk=1, cd_disk=1))


@shape
def two_ends_plain():
    # Two ordinary end records after each other, each with its own directory.
    good, evil = genuine_and_evil()
    out, cd1, cd2 = second_directory(good, evil)
    at1 = len(out)
    out += cd1
    out += end_record(1, len(cd1), at1)
    at2 = len(out)
    out += cd2
    return bytes(out + end_record(1, len(cd2), at2))


@shape
def zip64_locator_elsewhere():
    # An ordinary end record naming the evil data, preceded by a ZIP64 locator whose record
    # points at the genuine directory: ZIP64-aware readers follow the locator.
    good, evil = genuine_and_evil()
    out, cd_good, cd_evil = second_directory(good, evil)
    at_evil = len(out)
    out += cd_evil
    at_good = len(out)
    out += cd_good
    rec = len(out)
    out += struct.pack("<IQHHIIQQQQ", END64, 44, 45, 45, 0, 0, 1, 1, len(cd_good), at_good)
    out += struct.pack("<IIQI", LOCATOR64, 0, rec, 1)
    return bytes(out + end_record(1, len(cd_evil), at_evil))


def counted(on_disk, total, cd_extra=0):
    ms = [Member("a.txt", text(b"alpha", 900)), Member("b.txt", text(b"beta", 900), STORE)]
    out = lay_out(ms)
    cd = b"".join(central_entry(m) for m in ms)
    at = len(out)
    return bytes(out + cd + end_record(total, len(cd) + cd_extra, at, on_disk=on_disk))


@shape
def counts_disk_differs():
    return counted(on_disk=1, total=2)


@shape
def counts_too_few():
    return counted(on_disk=1, total=1)


@shape
def counts_too_many():
    return counted(on_disk=3, total=3)


@shape
def directory_size_too_large():
    return counted(on_disk=2, total=2, cd_extra=10)


@shape
def directory_size_too_small():
    return counted(on_disk=2, total=2, cd_extra=-10)


@shape
def directory_runs_into_end():
    # The directory's size reaches over the end record.
    return counted(on_disk=2, total=2, cd_extra=22)


@shape
def directory_offset_off():
    ms = [Member("a.txt", text(b"alpha", 900))]
    out = lay_out(ms)
    cd = central_entry(ms[0])
    at = len(out)
    return bytes(out + b"\0" + cd + end_record(1, len(cd), at))


@shape
def local_offsets_swapped():
    # Each directory entry points at the other member's local header.
    a = Member("a.txt", text(b"alpha", 800))
    b = Member("b.txt", text(b"beta!", 800))
    out = lay_out([a, b])
    cd = central_entry(a, offset=b.offset) + central_entry(b, offset=a.offset)
    at = len(out)
    return bytes(out + cd + end_record(2, len(cd), at))


@shape
def local_name_differs():
    # The local header names another member than the directory does.
    m = Member("a.txt", text(b"alpha", 800))
    m.local_fields = {"name": b"EVIL.txt", "crc": 0}
    return archive([m])


@shape
def local_header_missing():
    m = Member("a.txt", text(b"alpha", 800))
    out = lay_out([m])
    cd = central_entry(m, offset=m.offset + 3)
    at = len(out)
    return bytes(out + cd + end_record(1, len(cd), at))


@shape
def members_share_a_header():
    # Two names, one local header and one copy of the data.
    a = Member("a.txt", text(b"alpha", 1200))
    out = lay_out([a])
    cd = central_entry(a) + central_entry(a, name=b"same.txt")
    at = len(out)
    return bytes(out + cd + end_record(2, len(cd), at))


@shape
def members_overlap():
    # The first member's compressed size runs over the second member's header and data.
    a = Member("a.bin", text(b"alpha", 400), STORE)
    b = Member("b.txt", text(b"beta", 400))
    out = lay_out([a, b])
    whole = bytes(out[a.offset + 30 + len(a.name):])
    cd = central_entry(a, csize=len(whole), size=len(whole), crc=zlib.crc32(whole))
    cd += central_entry(b)
    at = len(out)
    return bytes(out + cd + end_record(2, len(cd), at))


@shape
def duplicate_names():
    # Two entries of one name: the first is the member.
    a = Member("a.txt", text(b"first", 900))
    b = Member("a.txt", forge(text(b"EVIL", 900), a.crc))
    b.crc = a.crc
    return archive([a, b])


def with_descriptor(signed):
    ms = []
    for name, data, method in (("a.txt", text(b"alpha", 3000), DEFLATE),
                               ("b.bin", bytes(range(200)), STORE)):
        m = Member(name, data, method)
        m.flags = 0x08
        m.local_fields = {"crc": 0, "csize": 0, "size": 0}
        fields = struct.pack("<III", m.crc, m.csize, m.size)
        m.descriptor = (struct.pack("<I", DESCRIPTOR) if signed else b"") + fields
        ms.append(m)
    return archive(ms)


@shape
def descriptor_signed():
    return with_descriptor(True)


@shape
def descriptor_unsigned():
    return with_descriptor(False)


@shape
def descriptor_sizes_lie():
    # The descriptor disagrees with the directory; the directory is what counts.
    m = Member("a.txt", text(b"alpha", 3000))
    m.flags = 0x08
    m.local_fields = {"crc": 0, "csize": 0, "size": 0}
    m.descriptor = struct.pack("<IIII", DESCRIPTOR, 1, 2, 3)
    return archive([m])


def zip64_extra(*values):
    body = b"".join(struct.pack("<Q", v) for v in values)
    return struct.pack("<HH", 1, len(body)) + body


@shape
def zip64_records():
    # Sizes and offsets in ZIP64 extra fields, and a ZIP64 end record with its locator.
    ms = [Member("a.txt", text(b"alpha", 2000)), Member("b.bin", bytes(300), STORE)]
    for m in ms:
        m.local_fields = {"csize": 0xFFFFFFFF, "size": 0xFFFFFFFF}
        m.local_extra = zip64_extra(m.size, m.csize)
    out = lay_out(ms)
    cd = b""
    for m in ms:
        cd += central_entry(m, csize=0xFFFFFFFF, size=0xFFFFFFFF, offset=0xFFFFFFFF,
                            extra=zip64_extra(m.size, m.csize, m.offset))
    at = len(out)
    out += cd
    rec = len(out)
    out += struct.pack("<IQHHIIQQQQ", END64, 44, 45, 45, 0, 0, 2, 2, len(cd), at)
    out += struct.pack("<IIQI", LOCATOR64, 0, rec, 1)
    return bytes(out + end_record(0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF))


@shape
def zip64_extra_lies():
    # A ZIP64 extra field whose sizes disagree with the data.
    m = Member("a.txt", text(b"alpha", 2000))
    out = lay_out([m])
    cd = central_entry(m, csize=0xFFFFFFFF, size=0xFFFFFFFF,
                       extra=zip64_extra(m.size + 5, m.csize))
    at = len(out)
    return bytes(out + cd + end_record(1, len(cd), at))


@shape
def deflated_empty_no_bytes():
    # Deflated, size 0, and not one compressed byte (not even an empty block).
    return archive([Member("empty.txt", b"", DEFLATE, raw=b""), Member("b.txt", text(b"b", 99))])


@shape
def deflated_size_past_the_end():
    # The compressed size runs past the end of the file; the stream itself ends inside it.
    m = Member("a.txt", text(b"alpha", 30000))
    m.local_fields = {"csize": 0x7FFFFFFF}
    out = lay_out([m])
    cd = central_entry(m, csize=0x7FFFFFFF)
    at = len(out)
    return bytes(out + cd + end_record(1, len(cd), at))


@shape
def deflated_stream_cut():
    # The stream's final block is cut off after the last byte of output.
    data = text(b"alpha", 2000)
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    raw = c.compress(data) + c.flush(zlib.Z_SYNC_FLUSH)  # all output, no final block
    return archive([Member("a.txt", data, DEFLATE, raw=raw)])


@shape
def deflated_trailing_bytes():
    data = text(b"alpha", 2000)
    return archive([Member("a.txt", data, DEFLATE, raw=deflate(data) + b"EVIL trailing")])


@shape
def deflated_more_than_claimed():
    m = Member("a.txt", text(b"alpha", 2000))
    m.size -= 1
    m.crc = zlib.crc32(m.data[:-1])
    return archive([m])


@shape
def stored_sizes_differ():
    m = Member("a.bin", text(b"alpha", 500), STORE)
    m.size = 400
    m.crc = zlib.crc32(m.data[:400])
    return archive([m])


@shape
def bad_checksum():
    m = Member("a.txt", text(b"alpha", 2000))
    m.crc ^= 1
    return archive([m])


@shape
def leading_bytes():
    # Bytes before the first local header (as a self-extracting archive has), offsets not
    # adjusted for them.
    return archive([Member("a.txt", text(b"alpha", 1000))], start=b"\x7fELF" + bytes(60))


@shape
def end_in_member_data():
    # A stored member that holds an end record of its own, pointing at a forged directory.
    good, evil = genuine_and_evil(1000)
    bad = Member(good.name, evil, STORE)
    pre = lay_out([bad])
    fake_cd = central_entry(bad)
    at_fake = len(pre) + 30 + len(b"carrier.bin")  # where the carrier's data will lie
    trap = bytes(fake_cd + end_record(1, len(fake_cd), at_fake))
    carrier = Member("carrier.bin", trap, STORE)
    ms = [bad, carrier, good]
    out = lay_out(ms)
    cd = central_entry(carrier) + central_entry(good)
    at = len(out)
    return bytes(out + cd + end_record(2, len(cd), at))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "corpus", "strongread_diff")
    os.makedirs(out_dir, exist_ok=True)
    for name, make in SHAPES.items():
        with open(os.path.join(out_dir, name + ".zip"), "wb") as f:
            f.write(make())


if __name__ == "__main__":
    main()
